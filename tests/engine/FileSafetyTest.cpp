// The archive read (only a regular file, unchanged since the screen) and where results go (numbered names,
// Extract to Folder's destination, preview folders); new ZIPs beside what exists are in HostileCommandLineTest.
#include "engine/ArchiveError.h"
#include "engine/ArchiveFile.h"
#include "engine/FileNames.h"
#include "engine/PreviewFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <tuple>

namespace fs = std::filesystem;

class FileSafetyTest : public QObject
{
    Q_OBJECT
private slots:
    void numberedName()
    {
        // path, a folder?, the third of its series
        const std::tuple<const char *, bool, const char *> cases[] = {
            {"/d/report.zip", false, "/d/report 3.zip"}, {"/d/backup.TAR.gz", false, "/d/backup 3.TAR.gz"},
            {"/d.x/README", false, "/d.x/README 3"},     {"/d/.profile", false, "/d/.profile 3"},
            {"/d/v1.2", true, "/d/v1.2 3"}};
        for (const auto &[path, isFolder, third] : cases) {
            QCOMPARE(FileNames::numberedName(QString::fromUtf8(path), 1, isFolder), QString::fromUtf8(path));
            QCOMPARE(FileNames::numberedName(QString::fromUtf8(path), 3, isFolder), QString::fromUtf8(third));
            QCOMPARE(FileNames::numberedName(QByteArray(path), 3, isFolder), QByteArray(third));
        }
    }

    void extractFolderReusesOnlyARealFolder()
    {
        QTemporaryDir dir;
        const fs::path root = dir.path().toStdString();
        auto made = [&dir] {
            const FileNames::ExtractFolder folder = FileNames::makeExtractFolder(dir.filePath(QStringLiteral("a.tar")));
            return QDir(dir.path()).relativeFilePath(folder.path) + (folder.created ? QStringLiteral(" new") : QString());
        };
        QCOMPARE(made(), QStringLiteral("a new"));
        QCOMPARE(made(), QStringLiteral("a"));
        fs::remove(root / "a");
        std::ofstream(root / "a") << "x";
        QCOMPARE(made(), QStringLiteral("a 2 new"));
        // Never a link, even to a folder; a dangling one is not free either.
        fs::remove(root / "a");
        fs::create_directory_symlink(root / "a 2", root / "a");
        fs::create_symlink("nowhere", root / "a 3");
        QCOMPARE(made(), QStringLiteral("a 4 new"));
        QVERIFY(fs::is_empty(root / "a 2"));
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

    void archiveFile_data()
    {
        QTest::addColumn<QString>("name");     // in a scratch folder holding a.zip, b.zip and the rest; or absolute
        QTest::addColumn<QString>("change");   // after opening: swapped, appended, removed
        QTest::addColumn<QString>("said");     // the end of the description; empty when it opened
        QTest::addColumn<bool>("unchanged");
        QTest::newRow("file") << "a.zip" << "" << "" << true;
        QTest::newRow("link to a file") << "link.zip" << "" << "" << true;
        QTest::newRow("another file moved into its place") << "a.zip" << "swapped" << "" << false;
        QTest::newRow("written to in place") << "a.zip" << "appended" << "" << false;
        QTest::newRow("removed") << "a.zip" << "removed" << "" << false;
        QTest::newRow("FIFO, without hanging") << "fifo.zip" << "" << "is a named pipe, not an archive." << false;
        QTest::newRow("folder") << "folder.zip" << "" << "is a folder, not an archive." << false;
        QTest::newRow("device") << "/dev/null" << "" << "is a character device, not an archive." << false;
        QTest::newRow("missing") << "missing.zip" << "" << "No such file or directory" << false;
    }

    void archiveFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, change);
        QFETCH(QString, said);
        QFETCH(bool, unchanged);
        QTemporaryDir dir;
        const fs::path root = dir.path().toStdString();
        std::ofstream(root / "a.zip") << "PK";
        std::ofstream(root / "b.zip") << "PK";
        fs::create_symlink("a.zip", root / "link.zip");
        fs::create_directory(root / "folder.zip");
        QVERIFY(::mkfifo((root / "fifo.zip").c_str(), 0600) == 0);

        const QString path = name.startsWith(QLatin1Char('/')) ? name : dir.filePath(name);
        const ArchiveFile archive(path);
        QCOMPARE(archive.isOpen(), said.isEmpty());
        QCOMPARE(archive.problem(), said.isEmpty()                ? ArchiveFile::Problem::None
                                    : said.endsWith(QLatin1String("archive.")) ? ArchiveFile::Problem::NotAFile
                                                                              : ArchiveFile::Problem::System);
        QVERIFY2(said.isEmpty() ? archive.description().isEmpty()
                                : archive.description().contains(path) && archive.description().endsWith(said),
                 qPrintable(archive.description()));
        if (change == QLatin1String("swapped"))
            fs::rename(root / "b.zip", root / "a.zip");
        if (change == QLatin1String("appended"))
            std::ofstream(root / "a.zip", std::ios::app) << "more";
        if (change == QLatin1String("removed"))
            fs::remove(root / "a.zip");
        QCOMPARE(archive.isUnchanged(), unchanged);
    }
};

QTEST_GUILESS_MAIN(FileSafetyTest)
#include "FileSafetyTest.moc"
