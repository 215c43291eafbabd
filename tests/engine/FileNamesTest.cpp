// Where results go: numbered names, Extract to Folder's destination, new ZIPs, preview folders.
#include "engine/ArchiveError.h"
#include "engine/FileNames.h"
#include "engine/NewZip.h"
#include "engine/PreviewFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

bool write(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

mode_t modeOf(const QString &path)
{
    struct stat status {};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
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
        QTest::addColumn<QString>("existing");   // what "a" is beforehand: "", "folder", "file", "link"
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("created");
        QTest::newRow("nothing") << "" << "a" << true;
        QTest::newRow("a real folder is reused") << "folder" << "a" << false;
        QTest::newRow("a file") << "file" << "a 2" << true;
        QTest::newRow("a link to a folder is never reused") << "link" << "a 3" << true;
    }

    void extractFolder()
    {
        QFETCH(QString, existing);
        QFETCH(QString, expected);
        QFETCH(bool, created);
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("elsewhere"))));
        if (existing == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(a));
        if (existing == QLatin1String("file"))
            QVERIFY(write(a, "x"));
        if (existing == QLatin1String("link")) {
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("elsewhere")), a));
            QVERIFY(QFile::link(QStringLiteral("nowhere"), a + QStringLiteral(" 2")));   // dangling: not free either
        }
        const FileNames::ExtractFolder folder = FileNames::makeExtractFolder(dir.filePath(QStringLiteral("a.tar")));
        QCOMPARE(folder.path, dir.filePath(expected));
        QCOMPARE(folder.created, created);
        QVERIFY(QFileInfo(folder.path).isDir() && !QFileInfo(folder.path).isSymLink());
        QVERIFY(QDir(dir.filePath(QStringLiteral("elsewhere"))).isEmpty());
    }

    void newZipNeverModifiesWhatExists()
    {
        QTemporaryDir dir;
        const QString zip = dir.filePath(QStringLiteral("r.zip"));
        const QString target = dir.filePath(QStringLiteral("target"));
        QVERIFY(write(zip, "old") && write(target, "kept"));
        QVERIFY(QFile::link(target, dir.filePath(QStringLiteral("r 2.zip"))));
        auto writer = [](const QByteArray &data) {
            return [data](const QString &path) {
                QVERIFY(!QFileInfo::exists(path));
                QVERIFY(write(path, data));
            };
        };
        QCOMPARE(NewZip::writeBeside(zip, writer("new")), dir.filePath(QStringLiteral("r 3.zip")));
        QCOMPARE(read(dir.filePath(QStringLiteral("r 3.zip"))), QByteArray("new"));
        QCOMPARE(read(zip), QByteArray("old"));

        // The window's confirmed replace: the link itself goes, not what it points to.
        NewZip::writeReplacing(dir.filePath(QStringLiteral("r 2.zip")), writer("replaced"));
        QVERIFY(!QFileInfo(dir.filePath(QStringLiteral("r 2.zip"))).isSymLink());
        QCOMPARE(read(target), QByteArray("kept"));

        // A failed write leaves nothing behind.
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
        QVERIFY_THROWS_EXCEPTION(SystemError, NewZip::writeBeside(zip, [](const QString &path) {
            write(path, "partial");
            throw SystemError(QStringLiteral("tool failed"));
        }));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), before);
    }

    void previewFolderIsPrivate()
    {
        QTemporaryDir dir;
        const QString runtime = dir.filePath(QStringLiteral("runtime"));
        const QString shared = dir.filePath(QStringLiteral("tmp"));
        QVERIFY(QDir().mkpath(runtime) && QDir().mkpath(shared));
        qputenv("TMPDIR", QFile::encodeName(shared));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        for (const mode_t runtimeMode : {0700, 0755}) {
            QVERIFY(::chmod(QFile::encodeName(runtime).constData(), runtimeMode) == 0);
            const QString folder = PreviewFolder::create();
            QCOMPARE(QFileInfo(folder).absolutePath(), runtimeMode == 0700 ? runtime : shared);
            QCOMPARE(modeOf(folder), mode_t(0700));
        }
    }
};

QTEST_GUILESS_MAIN(FileNamesTest)
#include "FileNamesTest.moc"
