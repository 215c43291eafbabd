// Extracting chosen members with the real tool: each name comes out alone
// and exactly, whatever it looks like, and no selection is too large.
#include "../TestSupport.h"
#include "engine/OperationJob.h"

using namespace test_support;

class MemberExtractionTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // What lands in `folder`, or "failed".
    static QStringList extracted(const QString &archive, const QStringList &members, const QString &folder)
    {
        OperationRequest request;
        request.kind = OperationKind::Extract, request.archive = archive, request.destination = folder;
        request.members = members;
        OperationJob job;
        return ArchiveEngine(kResources).execute(request, job).succeeded() ? tree(folder) : QStringList{"failed"};
    }

private slots:
    void eachNameAlone_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QStringList>("expected");
        // Patterns, switches, what a list file strips (outer spaces, quotes),
        // and a name that is also deeper down.
        const QStringList names{"-rf", "--help", "*", "?", "[ab].txt", " lead", "trail ", "\"quoted\"",
                                "@list", "Gr\u00fc\u00dfe", "a.txt", "dir/a.txt", "dir/sub/b"};
        QVERIFY(runPython("import zipfile,sys\nwith zipfile.ZipFile(sys.argv[1],'w') as z:\n"
                          "  for n in sys.argv[2:]: z.writestr(n, '')\n",
                          QStringList{m_dir.filePath("names.zip")} + names));
        for (const QString &name : names.mid(0, 11))
            QTest::newRow(qPrintable(name)) << name << QStringList{name};
        QTest::newRow("folder") << "dir" << QStringList{"dir", "dir/a.txt", "dir/sub", "dir/sub/b"};
        for (const char *name : {"nosuch", "a.txt\n-rf"})
            QTest::newRow(name) << QString(name) << QStringList{"failed"};
    }

    void eachNameAlone()
    {
        QFETCH(QString, member);
        QFETCH(QStringList, expected);
        const QTemporaryDir out(m_dir.filePath("XXXXXX"));
        QCOMPARE(extracted(m_dir.filePath("names.zip"), {member}, out.path()), expected);
    }

    void hundredThousandMembers()
    {
        QVERIFY(runPython("import zipfile,sys\nwith zipfile.ZipFile(sys.argv[1],'w') as z:\n"
                          "  for i in range(100001): z.writestr('d%03d/f%06d' % (i // 1000, i), '')\n",
                          {m_dir.filePath("many.zip")}));
        QStringList members;
        for (int i = 0; i < 100000; ++i)
            members.append(QString::asprintf("d%03d/f%06d", i / 1000, i));
        // Memory rather than disk where there is some: 100,000 files.
        const QTemporaryDir out((QFileInfo("/dev/shm").isWritable() ? "/dev/shm" : QDir::tempPath()) + "/corvex-XXXXXX");
        // Folders and files; d100/f100000 was not asked for.
        QCOMPARE(extracted(m_dir.filePath("many.zip"), members, out.path()).size(), 100000 + 100);
    }
};

QTEST_GUILESS_MAIN(MemberExtractionTest)
#include "MemberExtractionTest.moc"
