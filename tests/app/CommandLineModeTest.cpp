#include "../TestSupport.h"
#include "app/CommandLineMode.h"
#include "platform/FakeDesktop.h"

#include <optional>

using namespace CommandLineMode;
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

    bool handle(const QStringList &arguments)
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

    void extractHereUsesTheFirstArchiveOnly()
    {
        // The first item starts with a hyphen: still an item, not an option.
        QVERIFY(makeZip(path("-first.zip"), {"one.txt", "sub/two.txt"}));
        QVERIFY(makeZip(path("other/second.zip"), {"second.txt"}));
        QVERIFY(handle({"-corvexextracthere", "-first.zip", path("other/second.zip")}));
        QCOMPARE(readFile(path("one.txt")), QByteArray("one.txt"));
        QCOMPARE(readFile(path("sub/two.txt")), QByteArray("sub/two.txt"));
        QCOMPARE(tree(path("other")), QStringList{"second.zip"});
        expectOnly("reveal", m_dir->path());
    }

    void extractToFolderDestinations()
    {
        QVERIFY(writeFile(path("src/photo.jpg"), "jpeg"));
        QVERIFY(runTool({"a", "-ttar", path("photos.tar"), "photo.jpg"}, path("src")));
        QVERIFY(runTool({"a", "-tgzip", path("b/photos.tar.gz"), path("photos.tar")}));
        QVERIFY(handle({"-corvexextractfolder", path("b/photos.tar.gz")}));
        QCOMPARE(tree(path("b/photos.tar")), QStringList{"photos.tar"});
        expectOnly("reveal", path("b/photos.tar"));

        // An existing folder is reused.
        m_desktop.clear();
        QVERIFY(makeZip(path("docs.zip"), {"new.txt"}));
        QVERIFY(writeFile(path("docs/old.txt"), "kept"));
        QVERIFY(handle({"-corvexextractfolder", path("docs.zip")}));
        QCOMPARE(tree(path("docs")), (QStringList{"new.txt", "old.txt"}));
        QCOMPARE(readFile(path("docs/old.txt")), QByteArray("kept"));
        expectOnly("reveal", path("docs"));

        // A missing archive: its folder and those above are made, then the tool's failure shown.
        m_desktop.clear();
        QVERIFY(handle({"-corvexextractfolder", path("gone/deeper/lost.zip")}));
        QCOMPARE(tree(path("gone")), (QStringList{"deeper", "deeper/lost"}));
        expectOnly("errorReport", "lost.zip");

        // Without an extension the folder would be the archive itself.
        m_desktop.clear();
        QVERIFY(QFile::rename(path("docs.zip"), path("archive")));
        QVERIFY(handle({"-corvexextractfolder", path("archive")}));
        QCOMPARE(m_desktop.kinds(), QStringList{"error"});
        QCOMPARE(m_desktop.calls.first().values,
                 QStringList{QStringLiteral("Cannot create the folder “%1”: File exists").arg(path("archive"))});
        QVERIFY(QFileInfo(path("archive")).isFile());
    }

    void failuresAreShown()
    {
        QVERIFY(writeFile(path("broken.zip"), QByteArray("PK\x03\x04 certainly not a zip")));
        QVERIFY(handle({"-corvexextracthere", path("broken.zip")}));
        expectOnly("errorReport", "broken.zip");
        m_desktop.clear();
        QVERIFY(handle({"-add2archive", path("missing.txt")}));
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
            QVERIFY(handle(QStringList{"-add2archive"} + c.items));
            expectOnly("reveal", path(c.zip));
            QCOMPARE(memberPaths(path(c.zip)), c.members);
        }
    }
};

QTEST_GUILESS_MAIN(CommandLineModeTest)
#include "CommandLineModeTest.moc"
