#include "../TestSupport.h"
#include "app/CommandLineMode.h"
#include "engine/FileNames.h"
#include "platform/FakeDesktop.h"

#include <optional>

using namespace CommandLineMode;
using namespace FileNames;
using namespace test_support;

class CommandLineModeTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    std::optional<ArchiveEngine> m_engine;
    FakeDesktop m_desktop;

    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::optional<int> handle(const QStringList &arguments)
    {
        return handleCommandLine(QStringList{"/usr/bin/corvex"} + arguments, *m_engine, m_desktop);
    }

    // The one call made: a reveal of `target`, or an error whose text holds `containing`.
    void expectOnly(const char *kind, const QString &text)
    {
        QCOMPARE(m_desktop.kinds(), QStringList{kind});
        const QStringList values = m_desktop.calls.first().values;
        QVERIFY2(kind == QLatin1String("reveal") ? values == QStringList{text} : values.join(QLatin1Char(10)).contains(text),
                 qPrintable(values.join('|')));
    }

private slots:
    void initTestCase() { m_engine.emplace(QStringLiteral(CORVEX_RESOURCE_DIR)); }

    void init()
    {
        m_dir.emplace();
        m_desktop.clear();
        QDir::setCurrent(m_dir->path());
    }

    void pathRules()
    {
        const struct { QString item, extension, folder, zipForFile; } cases[] = {
            {"/a/old.ZIP", "ZIP", "/a/old", "/a/old.ZIP.zip"}, {"/a.d/README", "", "/a.d/README", "/a.d/README.zip"},
            {"/a/.profile", "", "/a/.profile", "/a/.profile.zip"}, {"/a/.cache.tar", "tar", "/a/.cache", "/a/.cache.zip"},
            {"/a/name.", "", "/a/name", "/a/name.zip"}};
        for (const auto &c : cases) {
            QCOMPARE(lastExtension(c.item), c.extension);
            QCOMPARE(extractFolderFor(c.item), c.folder);
            QCOMPARE(zipDestinationFor(c.item), c.zipForFile);
        }
    }

    // A missing archive: nothing is made.
    void missingArchiveMakesNothing()
    {
        QCOMPARE(handle({"-corvexextractfolder", path("gone/deeper/lost.zip")}), 1);
        QVERIFY(!QFileInfo::exists(path("gone")));
        expectOnly("errorReport", "lost.zip");
    }

    // Asked in the same dialog: names once, for the screen's listing, and the extraction uses that password.
    // A cancel leaves nothing (no folder either) and reveals nothing.
    void encryptedArchives()
    {
        QVERIFY(writeFile(path("src/a.txt"), "a") &&
                makeEncrypted(Encryption::SevenZipNames, path("x/a.7z"), path("src"), {"a.txt"}, "pw") &&
                makeEncrypted(Encryption::ZipCrypto, path("y/a.zip"), path("src"), {"a.txt"}, "pw"));
        for (const char *answer : {"x", "pw"}) m_desktop.queuePasswordAnswer(QString::fromUtf8(answer));
        QCOMPARE(handle({"-corvexextracthere", path("x/a.7z")}), 0);
        m_desktop.queuePasswordAnswer(QStringLiteral("x"));
        QCOMPARE(handle({"-corvexextractfolder", path("y/a.zip")}), 1);
        QCOMPARE(tree(path("x")), (QStringList{"a.7z", "a.txt"}));
        QCOMPARE(tree(path("y")), QStringList{"a.zip"});
        QCOMPARE(m_desktop.kinds(), (QStringList{"password", "password", "reveal", "password", "password"}));
    }

    // Several items: the zip is named after the first, beside it, relative paths (a trailing slash) resolved.
    void compressDestinations()
    {
        QVERIFY(writeFile(path("a/Photos/one.jpg"), "1") && writeFile(path("a/notes.txt"), "2"));
        QCOMPARE(handle({"-add2archive", "a/Photos/", "a/notes.txt"}), 0);
        expectOnly("reveal", path("a/Photos.zip"));
        QCOMPARE(memberPaths(path("a/Photos.zip")), (QStringList{"Photos", "Photos/one.jpg", "notes.txt"}));
    }
};

QTEST_GUILESS_MAIN(CommandLineModeTest)
#include "CommandLineModeTest.moc"
