#include "../TestSupport.h"
#include "engine/ExtractionStaging.h"
#include "engine/OperationJob.h"

#include <sys/stat.h>

using namespace test_support;

class ArchiveEngineTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::optional<ArchiveEngine> m_engine;
    QString m_tree;   // a b/ü.txt, *star.txt, -lead.txt, n1/n2/n3/deep.txt
    QString m_zip;    // its name holds '*', with "t1.zip" beside it

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // What lands in `folder`, or "failed".
    static QStringList extracted(const QString &archive, const QStringList &members, const QString &folder,
                                 const QString &resources = kResources)
    {
        OperationRequest request;
        request.kind = OperationKind::Extract, request.archive = archive, request.destination = folder;
        request.members = members;
        OperationJob job;
        return ArchiveEngine(resources).execute(request, job).succeeded() ? tree(folder) : QStringList{"failed"};
    }

private slots:
    void initTestCase()
    {
        // Preview folders go to the runtime folder: keep them in ours.
        QDir().mkpath(path("run"));
        QFile::setPermissions(path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path("run")));
        m_engine.emplace(kResources);
        m_tree = path("tree");
        for (const auto &[name, text] : {std::pair{"a b/ü.txt", "unicode\n"}, {"*star.txt", "star\n"},
                                         {"-lead.txt", "lead\n"}, {"n1/n2/n3/deep.txt", "deep\n"}})
            QVERIFY(writeFile(m_tree + "/" + QString::fromUtf8(name), text));
        m_zip = path("with space/t*.zip");
        QDir().mkpath(path("with space"));
        QVERIFY(runToEnd(*m_engine, OperationKind::Create, m_zip,
                         {m_tree + "/a b", m_tree + "/*star.txt", m_tree + "/-lead.txt", m_tree + "/n1"}).succeeded());
        QVERIFY(runToEnd(*m_engine, OperationKind::Create, path("with space/t1.zip"), {m_tree + "/-lead.txt"}).succeeded());
    }

    // The tool runs with TZ naming /etc/localtime only when the user set none.
    void listTimesFollowTheUsersTimeZone()
    {
        const QString file = path("zone/noon.txt");
        QVERIFY(writeFile(file, "noon\n") && runTool({"-d", "2021-06-01 12:00 UTC", file}, QString(), "touch"));
        const QString archive = path("zone/noon.7z");
        QVERIFY(runTool({"a", "-t7z", "-spd", "--", archive, file}));
        qputenv("TZ", "JST-9");
        const QString tokyo = runToEnd(*m_engine, OperationKind::List, archive).entries.at(0).modified();
        qunsetenv("TZ");
        QVERIFY2(tokyo.startsWith("2021-06-01 21:00:00"), qPrintable(tokyo));
    }

    void listAndExtractAreLiteralAboutNames()
    {
        QCOMPARE(sortedPaths(runToEnd(*m_engine, OperationKind::List, m_zip).entries),
                 QStringList({"*star.txt", "-lead.txt", "a b", "a b/ü.txt", "n1", "n1/n2", "n1/n2/n3",
                              "n1/n2/n3/deep.txt"}));
        const QString dest = path("out/st*r/dest");
        QVERIFY(runToEnd(*m_engine, OperationKind::Extract, m_zip, {}, dest).succeeded());
        for (const auto &[name, text] : {std::pair{"a b/ü.txt", "unicode\n"}, {"n1/n2/n3/deep.txt", "deep\n"},
                                         {"-lead.txt", "lead\n"}, {"*star.txt", "star\n"}})
            QCOMPARE(readFile(dest + "/" + QString::fromUtf8(name)), QByteArray(text));
        QCOMPARE(QDir(path("out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"st*r"});
    }

    // The member alone, in a folder of its own (where: FileSafetyTest), and never outside it.
    void previewUnpacksInsideOnly()
    {
        QCOMPARE(readFile(runToEnd(*m_engine, OperationKind::Preview, m_zip, {"-lead.txt"}).path), QByteArray("lead\n"));

        const int before = QDir(path("run")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
        QVERIFY(runToEnd(*m_engine, OperationKind::Preview, m_zip, {"../../etc/x"}).description.contains("leads outside"));
        // A member the archive lacks: nothing to open, and nothing stays.
        QVERIFY(!runToEnd(*m_engine, OperationKind::Preview, m_zip, {"nope.txt"}).succeeded());
        QCOMPARE(QDir(path("run")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), before);
    }

    // A listing that failed part-way vouches for nothing: what it did not reach was not screened.
    void failedListingExtractsNothing()
    {
        const QString tool = path("failing-listing/bin/7zz");
        QVERIFY(writeFile(tool, QStringLiteral("#!/bin/sh\n[ \"$1\" = l ] && { '%1' \"$@\"; exit 2; }\nexec '%1' \"$@\"\n")
                                    .arg(kTool).toUtf8()));
        QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(extracted(m_zip, {}, path("unscreened"), path("failing-listing")), QStringList{"failed"});
    }

    // Chosen members: each name comes out alone and exactly, whatever it looks like, and no selection is
    // too large.
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

    // Where the tool alone extracts, so does Corvex: a destination path of 4,070 bytes, whose staging
    // folder's path is past PATH_MAX.
    void deepDestination()
    {
        QString folder = path("deep");
        while (folder.size() < 4070)
            folder += "/" + QString(std::min<qsizetype>(200, 4070 - folder.size() - 1), 'd');
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(extracted(m_zip, {}, folder), extracted(m_zip, {}, path("shallow")));
    }

    // A mount point where a folder is merged: rename(2) cannot cross it, so nothing moves at all.
    void mountPointInDestination()
    {
        const QString folder = path("mounted");
        QVERIFY(writeFile(folder + "/n1/mine.txt", "mine"));
        static ino_t mountPoint;
        struct stat status;
        QVERIFY(::stat(QFile::encodeName(folder + "/n1").constData(), &status) == 0);
        mountPoint = status.st_ino;
        const auto real = ExtractionStaging::deviceOf;
        ExtractionStaging::deviceOf = [](const struct stat &s) { return s.st_dev + (s.st_ino == mountPoint); };
        OperationRequest request;
        request.kind = OperationKind::Extract, request.archive = m_zip, request.destination = folder;
        OperationJob job;
        const Outcome outcome = m_engine->execute(request, job);
        ExtractionStaging::deviceOf = real;
        QVERIFY2(outcome.description.contains("another file system"), qPrintable(outcome.description));
        QCOMPARE(tree(folder), (QStringList{"n1", "n1/mine.txt"}));
    }

    // A cancel that comes once the items move is too late: the move goes to its end, a name that appeared
    // meanwhile is skipped as the cancel cannot ask, and the outcome says the items were placed.
    void cancelWhileMoving()
    {
        const QString folder = path("moving");
        QVERIFY(writeFile(folder + "/n1", "old"));
        OperationRequest request;
        request.kind = OperationKind::Extract, request.archive = m_zip, request.destination = folder;
        OperationJob job;
        job.setQuestionSink([&](const Question &question) {
            if (!question.existingPath.endsWith("n1"))
                return job.cancel();
            writeFile(folder + "/-lead.txt", "mine");   // after its own turn to be asked
            job.answer(Answer{false, {}, ConflictChoice::Replace, false});
        });
        QCOMPARE(int(m_engine->execute(request, job).kind), int(Outcome::Kind::Succeeded));
        QVERIFY(!job.isCancelled());
        QCOMPARE(tree(folder), extracted(m_zip, {}, path("moving-expected")));
        QCOMPARE(readFile(folder + "/-lead.txt"), QByteArray("mine"));
    }
};

QTEST_GUILESS_MAIN(ArchiveEngineTest)
#include "ArchiveEngineTest.moc"
