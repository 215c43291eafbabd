// Extracting chosen members with the real tool: each name comes out alone
// and exactly, whatever it looks like, and no selection is too large.
#include "../TestSupport.h"
#include "engine/OperationJob.h"

using namespace test_support;

class MemberExtractionTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::optional<ArchiveEngine> m_engine;
    int m_runs = 0;

    Outcome extract(const QString &archive, const QStringList &members, QString *folder,
                    const QTemporaryDir &into)
    {
        *folder = into.filePath(QStringLiteral("out%1").arg(++m_runs));
        OperationRequest request;
        request.kind = OperationKind::Extract;
        request.archive = archive;
        request.destination = *folder;
        request.members = members;
        OperationJob job;
        return m_engine->execute(request, job);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_dir.path()));
        m_engine.emplace(kResources);
        // Each file holds its own name. "a.txt" is also deeper down, "*" and
        // "?" match the others as patterns, quotes and outer spaces are what
        // a list file strips.
        QVERIFY(runPython("import zipfile,sys\n"
                          "names=['-rf','--help','*','?','st*r?.txt','[ab].txt','a.txt','dir/a.txt','dir/sub/b.txt',"
                          "' lead.txt','trail.txt ','\"quoted\"','say \"hi\".txt','@list','!bang','Gr\\u00fc\\u00dfe.txt']\n"
                          "with zipfile.ZipFile(sys.argv[1],'w') as z:\n"
                          "  for n in names: z.writestr(n, n)\n",
                          {m_dir.filePath("names.zip")}));
    }

    void eachNameAlone_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QStringList>("expected");
        for (const char *name : {"-rf", "--help", "*", "?", "st*r?.txt", "[ab].txt", " lead.txt", "trail.txt ",
                                 "\"quoted\"", "say \"hi\".txt", "@list", "!bang"})
            QTest::newRow(name) << QString::fromUtf8(name) << QStringList{QString::fromUtf8(name)};
        QTest::newRow("non-ASCII") << QStringLiteral("Gr\u00fc\u00dfe.txt") << QStringList{"Gr\u00fc\u00dfe.txt"};
        QTest::newRow("top level only") << "a.txt" << QStringList{"a.txt"};
        QTest::newRow("folder brings all") << "dir" << QStringList{"dir", "dir/a.txt", "dir/sub", "dir/sub/b.txt"};
        QTest::newRow("missing") << "nosuch" << QStringList();
        QTest::newRow("line break") << "a.txt\n-rf" << QStringList();
    }

    void eachNameAlone()
    {
        QFETCH(QString, member);
        QFETCH(QStringList, expected);
        QString folder;
        const Outcome outcome = extract(m_dir.filePath("names.zip"), {member}, &folder, m_dir);
        // Asked for what cannot be found or named, nothing is no success.
        QCOMPARE(outcome.succeeded(), !expected.isEmpty());
        QCOMPARE(tree(folder), expected);
        for (const QString &file : expected) {
            if (QFileInfo(folder + '/' + file).isFile())
                QCOMPARE(readFile(folder + '/' + file), file.toUtf8());
        }
    }

    void hundredThousandMembers()
    {
        // In folders of 1,000: the tool matches names folder by folder.
        QVERIFY(runPython("import zipfile,sys\n"
                          "with zipfile.ZipFile(sys.argv[1],'w') as z:\n"
                          "  for i in range(100000): z.writestr('d%03d/f%06d' % (i // 1000, i), '')\n"
                          "  z.writestr('left/out.txt', 'x')\n",
                          {m_dir.filePath("many.zip")}));
        QStringList members;
        for (int i = 0; i < 100000; ++i)
            members.append(QStringLiteral("d%1/f%2").arg(i / 1000, 3, 10, QLatin1Char('0')).arg(i, 6, 10, QLatin1Char('0')));
        // Memory rather than disk where there is some: 100,000 files.
        const QString base = QFileInfo("/dev/shm").isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        const QTemporaryDir memory(base + "/corvex-test-XXXXXX");
        QString folder;
        QVERIFY(extract(m_dir.filePath("many.zip"), members, &folder, memory).succeeded());
        qsizetype files = 0;
        for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next())
            ++files;
        QCOMPARE(files, 100000);
        QVERIFY(QFileInfo::exists(folder + "/d099/f099999"));
        QVERIFY(!QFileInfo::exists(folder + "/left"));
    }
};

QTEST_GUILESS_MAIN(MemberExtractionTest)
#include "MemberExtractionTest.moc"
