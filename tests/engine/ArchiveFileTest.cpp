// Only a regular file is an archive, found out without blocking; a file swapped or changed after the screen
// is noticed.
#include "engine/ArchiveFile.h"

#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

class ArchiveFileTest : public QObject
{
    Q_OBJECT
private slots:
    void open_data()
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

    void open()
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

QTEST_GUILESS_MAIN(ArchiveFileTest)
#include "ArchiveFileTest.moc"
