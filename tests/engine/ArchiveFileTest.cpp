// Only a regular file is an archive, found out without blocking; and a file swapped or changed after the
// screen is noticed.
#include "engine/ArchiveFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class ArchiveFileTest : public QObject
{
    Q_OBJECT
private slots:
    void onlyRegularFiles_data()
    {
        QTest::addColumn<QString>("name");   // made in a scratch folder, or an absolute path
        QTest::addColumn<ArchiveFile::Problem>("problem");
        QTest::addColumn<QString>("said");
        QTest::newRow("file") << "a.zip" << ArchiveFile::Problem::None << "";
        QTest::newRow("link to a file") << "link.zip" << ArchiveFile::Problem::None << "";
        QTest::newRow("FIFO, without hanging") << "fifo.zip" << ArchiveFile::Problem::NotAFile << "is a named pipe, not an archive.";
        QTest::newRow("folder") << "folder.zip" << ArchiveFile::Problem::NotAFile << "is a folder, not an archive.";
        QTest::newRow("device") << "/dev/null" << ArchiveFile::Problem::NotAFile << "is a character device, not an archive.";
        QTest::newRow("missing") << "missing.zip" << ArchiveFile::Problem::System << "No such file or directory";
    }

    void onlyRegularFiles()
    {
        QFETCH(QString, name);
        QFETCH(ArchiveFile::Problem, problem);
        QFETCH(QString, said);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("a.zip")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("PK") == 2);
        file.close();
        QVERIFY(QFile::link(file.fileName(), dir.filePath(QStringLiteral("link.zip"))));
        QVERIFY(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo.zip"))).constData(), 0600) == 0);
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.zip")));

        const QString path = name.startsWith(QLatin1Char('/')) ? name : dir.filePath(name);
        const ArchiveFile archive(path);
        QCOMPARE(archive.problem(), problem);
        QCOMPARE(archive.isOpen(), problem == ArchiveFile::Problem::None);
        QCOMPARE(archive.isUnchanged(), problem == ArchiveFile::Problem::None);
        QVERIFY2(said.isEmpty() ? archive.description().isEmpty()
                                : archive.description().contains(path) && archive.description().endsWith(said),
                 qPrintable(archive.description()));
    }

    void changesAreNoticed_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("another file moved into its place") << 0;
        QTest::newRow("written to in place") << 1;
        QTest::newRow("removed") << 2;
    }

    void changesAreNoticed()
    {
        QFETCH(int, change);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.zip"));
        const QString other = dir.filePath(QStringLiteral("b.zip"));
        for (const QString &name : {path, other}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("PK") == 2);
        }
        const ArchiveFile archive(path);
        QVERIFY(archive.isUnchanged());
        if (change == 0)
            QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()) == 0);
        if (change == 1) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append) && file.write("more") == 4);
        }
        if (change == 2)
            QVERIFY(QFile::remove(path));
        QVERIFY(!archive.isUnchanged());
    }
};

QTEST_GUILESS_MAIN(ArchiveFileTest)
#include "ArchiveFileTest.moc"
