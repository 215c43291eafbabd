#include "../TestSupport.h"
#include "app/CommandLineMode.h"
#include "engine/FileNames.h"
#include "platform/FakeDesktop.h"

#include <optional>

using namespace CommandLineMode;
using namespace FileNames;
using namespace test_support;

namespace {

const QString program = QStringLiteral("/usr/bin/corvex");

} // namespace

class CommandLineModeTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    std::optional<ArchiveEngine> m_engine;
    FakeDesktop m_desktop;

    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::optional<int> handle(const QStringList &arguments)
    {
        return handleCommandLine(QStringList{program} + arguments, *m_engine, m_desktop);
    }

    // A ZIP at `archive` holding the text files `names` (each holds its name).
    bool makeZip(const QString &archive, const QStringList &names)
    {
        const QString source = path("source-" + QFileInfo(archive).fileName());
        for (const QString &name : names)
            writeFile(source + '/' + name, name.toUtf8());
        return test_support::makeZip(archive, source, {"."}) && QDir(source).removeRecursively();
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
    void initTestCase()
    {
        m_engine.emplace(QStringLiteral(CORVEX_RESOURCE_DIR));
    }

    void init()
    {
        m_dir.emplace();
        QVERIFY(m_dir->isValid());
        m_desktop.clear();
        QDir::setCurrent(m_dir->path());
    }

    void pathRules_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("zipForFile");

        QTest::newRow("zip, upper case") << "/a/old.ZIP" << "ZIP" << "/a/old" << "/a/old.ZIP.zip";
        QTest::newRow("dot in a folder only") << "/a.d/README" << "" << "/a.d/README" << "/a.d/README.zip";
        QTest::newRow("leading dot only") << "/a/.profile" << "" << "/a/.profile" << "/a/.profile.zip";
        QTest::newRow("leading dot and more") << "/a/.cache.tar" << "tar" << "/a/.cache" << "/a/.cache.zip";
        QTest::newRow("trailing dot") << "/a/name." << "" << "/a/name" << "/a/name.zip";
    }

    void pathRules()
    {
        QFETCH(QString, item);
        QFETCH(QString, extension);
        QFETCH(QString, folder);
        QFETCH(QString, zipForFile);
        QCOMPARE(lastExtension(item), extension);
        QCOMPARE(extractFolderFor(item), folder);
        QCOMPARE(zipDestinationFor(item), zipForFile);
    }

    void itemPathsResolveAgainstTheCurrentFolder()
    {
        const QString here = QDir::currentPath();
        QCOMPARE(absoluteItemPath("./sub//x/./"), here + "/sub/x");
        QCOMPARE(absoluteItemPath("../up.zip"), here + "/../up.zip");
        QCOMPARE(absoluteItemPath("/abs//p/"), QStringLiteral("/abs/p"));
    }

    void notAnInvocation_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("path only") << QStringList{"a.zip"};
        QTest::newRow("option without items") << QStringList{"-corvexextracthere"};
        QTest::newRow("unknown option") << QStringList{"-corvexextract", "a.zip"};
        QTest::newRow("items first") << QStringList{"a.zip", "-corvexextracthere"};
    }

    void notAnInvocation()
    {
        QFETCH(QStringList, arguments);
        QVERIFY(makeZip(path("a.zip"), {"inside.txt"}));
        QVERIFY(!handle(arguments));
        QVERIFY(m_desktop.calls.isEmpty());
        QCOMPARE(tree(m_dir->path()), QStringList{"a.zip"});
    }

    void extractToFolderDestinations()
    {
        QVERIFY(writeFile(path("src/photo.jpg"), "jpeg"));
        QVERIFY(runTool({"a", "-ttar", path("photos.tar"), "photo.jpg"}, path("src")));
        QVERIFY(runTool({"a", "-tgzip", path("b/photos.tar.gz"), path("photos.tar")}));
        QCOMPARE(handle({"-corvexextractfolder", path("b/photos.tar.gz")}), 0);
        QCOMPARE(tree(path("b/photos.tar")), QStringList{"photos.tar"});
        expectOnly("reveal", path("b/photos.tar"));

        // A missing archive: nothing is made.
        m_desktop.clear();
        QCOMPARE(handle({"-corvexextractfolder", path("gone/deeper/lost.zip")}), 1);
        QVERIFY(!QFileInfo::exists(path("gone")));
        expectOnly("errorReport", "lost.zip");
    }

    // Asked in the same dialog: names once, for the screen's listing, and the extraction uses that password.
    // A cancel leaves nothing (no folder either) and reveals nothing.
    void encryptedArchives()
    {
        QVERIFY(writeFile(path("src/a.txt"), "a"));
        QVERIFY(makeEncrypted(Encryption::SevenZipNames, path("x/a.7z"), path("src"), {"a.txt"}, "pw"));
        QVERIFY(makeEncrypted(Encryption::ZipCrypto, path("y/a.zip"), path("src"), {"a.txt"}, "pw"));
        m_desktop.queuePasswordAnswer(QStringLiteral("x"));
        m_desktop.queuePasswordAnswer(QStringLiteral("pw"));
        QCOMPARE(handle({"-corvexextracthere", path("x/a.7z")}), 0);
        m_desktop.queuePasswordAnswer(QStringLiteral("x"));
        QCOMPARE(handle({"-corvexextractfolder", path("y/a.zip")}), 1);
        QCOMPARE(tree(path("x")), (QStringList{"a.7z", "a.txt"}));
        QCOMPARE(tree(path("y")), QStringList{"a.zip"});
        QCOMPARE(m_desktop.kinds(), (QStringList{"password", "password", "reveal", "password", "password"}));
    }

    void failuresAreShown()
    {
        QCOMPARE(handle({"-add2archive", path("missing.txt")}), 1);
        expectOnly("errorReport", "missing.txt");
    }

    void compressDestinations()
    {
        QVERIFY(writeFile(path("a/Photos/one.jpg"), "1"));
        QVERIFY(writeFile(path("a/notes.txt"), "notes"));
        QVERIFY(makeZip(path("a/x.zip"), {"in-zip.txt"}));
        QVERIFY(writeFile(path("a/x.tar.gz"), "not really"));

        struct Case {
            QStringList items;
            QString zip;
            QStringList members;
        };
        const QList<Case> cases{
            {{"a/Photos/", "a/notes.txt"}, "a/Photos.zip", {"Photos", "Photos/one.jpg", "notes.txt"}},
            {{"a/notes.txt"}, "a/notes.zip", {"notes.txt"}},
            {{"a/x.tar.gz"}, "a/x.tar.zip", {"x.tar.gz"}},
            {{"a/x.zip"}, "a/x.zip.zip", {"x.zip"}},
        };
        for (const Case &c : cases) {
            m_desktop.clear();
            QCOMPARE(handle(QStringList{"-add2archive"} + c.items), 0);
            expectOnly("reveal", path(c.zip));
            QCOMPARE(memberPaths(path(c.zip)), c.members);
        }
    }
};

QTEST_GUILESS_MAIN(CommandLineModeTest)
#include "CommandLineModeTest.moc"
