// Where results go: numbered names, Extract to Folder's destination, new ZIPs, preview folders.
#include "engine/ArchiveError.h"
#include "engine/FileNames.h"
#include "engine/NewZip.h"
#include "engine/PreviewFolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string read(const fs::path &path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

class FileNamesTest : public QObject
{
    Q_OBJECT
private slots:
    void numberedName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<QString>("third");
        QTest::newRow("file") << "/d/report.zip" << false << "/d/report 3.zip";
        QTest::newRow("compressed tar") << "/d/backup.TAR.gz" << false << "/d/backup 3.TAR.gz";
        QTest::newRow("no extension") << "/d.x/README" << false << "/d.x/README 3";
        QTest::newRow("dot file") << "/d/.profile" << false << "/d/.profile 3";
        QTest::newRow("folder keeps its dots") << "/d/v1.2" << true << "/d/v1.2 3";
    }

    void numberedName()
    {
        QFETCH(QString, path);
        QFETCH(bool, isFolder);
        QFETCH(QString, third);
        QCOMPARE(FileNames::numberedName(path, 1, isFolder), path);
        QCOMPARE(FileNames::numberedName(path, 3, isFolder), third);
        QCOMPARE(FileNames::numberedName(QFile::encodeName(path), 3, isFolder), QFile::encodeName(third));
    }

    void extractFolder_data()
    {
        QTest::addColumn<QString>("existing");   // what "a" is beforehand
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing") << "" << "a";
        QTest::newRow("a real folder is reused") << "folder" << "a";
        QTest::newRow("a file") << "file" << "a 2";
        QTest::newRow("a link to a folder is never reused") << "link" << "a 3";   // "a 2" a dangling link
    }

    void extractFolder()
    {
        QFETCH(QString, existing);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const fs::path root = dir.path().toStdString();
        fs::create_directory(root / "elsewhere");
        if (existing == QLatin1String("folder"))
            fs::create_directory(root / "a");
        if (existing == QLatin1String("file"))
            std::ofstream(root / "a") << "x";
        if (existing == QLatin1String("link")) {
            fs::create_directory_symlink(root / "elsewhere", root / "a");
            fs::create_symlink("nowhere", root / "a 2");
        }
        const FileNames::ExtractFolder folder = FileNames::makeExtractFolder(dir.filePath(QStringLiteral("a.tar")));
        QCOMPARE(folder.path, dir.filePath(expected));
        QCOMPARE(folder.created, existing != QLatin1String("folder"));
        QVERIFY(fs::is_directory(fs::symlink_status(folder.path.toStdString())));
        QVERIFY(fs::is_empty(root / "elsewhere"));
    }

    void newZipNeverModifiesWhatExists()
    {
        QTemporaryDir dir;
        const fs::path root = dir.path().toStdString();
        std::ofstream(root / "r.zip") << "old";
        std::ofstream(root / "target") << "kept";
        fs::create_symlink("target", root / "r 2.zip");
        auto writer = [](const char *data) {
            return [data](const QString &path) {
                QVERIFY(!fs::exists(fs::symlink_status(path.toStdString())));
                std::ofstream(path.toStdString()) << data;
            };
        };
        QCOMPARE(NewZip::writeBeside(dir.filePath(QStringLiteral("r.zip")), writer("new")), dir.filePath(QStringLiteral("r 3.zip")));
        QCOMPARE(read(root / "r 3.zip"), "new");
        QCOMPARE(read(root / "r.zip"), "old");

        // The window's confirmed replace: the link itself goes, not what it points to.
        NewZip::writeReplacing(dir.filePath(QStringLiteral("r 2.zip")), writer("replaced"));
        QVERIFY(!fs::is_symlink(root / "r 2.zip"));
        QCOMPARE(read(root / "target"), "kept");

        // A failed write leaves nothing behind.
        QVERIFY_THROWS_EXCEPTION(SystemError, NewZip::writeBeside(dir.filePath(QStringLiteral("r.zip")), [](const QString &path) {
            std::ofstream(path.toStdString()) << "partial";
            throw SystemError(QStringLiteral("tool failed"));
        }));
        QCOMPARE(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 4);
    }

    void previewFolderIsPrivate()
    {
        QTemporaryDir dir;
        const fs::path runtime = dir.filePath(QStringLiteral("runtime")).toStdString();
        fs::create_directories(runtime);
        qputenv("TMPDIR", QFile::encodeName(dir.path()));
        qputenv("XDG_RUNTIME_DIR", runtime.c_str());
        for (const fs::perms mode : {fs::perms::owner_all, fs::perms::owner_all | fs::perms::others_exec}) {
            fs::permissions(runtime, mode);
            const fs::path folder = PreviewFolder::create().toStdString();
            QCOMPARE(folder.parent_path(), mode == fs::perms::owner_all ? runtime : fs::path(dir.path().toStdString()));
            QCOMPARE(fs::status(folder).permissions(), fs::perms::owner_all);
        }
    }
};

QTEST_GUILESS_MAIN(FileNamesTest)
#include "FileNamesTest.moc"
