// Progress read from the tool's real output, and real runs of the tool stopped part-way.
#include "../TestSupport.h"
#include "engine/OperationJob.h"
#include "engine/ProgressParser.h"

#include <QRandomGenerator>
#include <QThread>
#include <sys/wait.h>

using namespace test_support;

class OperationJobTest : public QObject
{
    Q_OBJECT

private slots:
    // Fed a byte at a time or cut anywhere in two, the same progress comes
    // out as from the whole text; ordinary lines never count.
    void progressFromRecordedOutput()
    {
        for (const auto &[file, lastName] : {std::pair{"extract.out", "big.bin"}, {"test.out", "text.txt"}, {"create.out", "d/f3"}}) {
            const QByteArray output = readFile(QStringLiteral(CORVEX_TEST_DATA "/progress/") + file);
            QList<OperationProgress> seen;
            ProgressParser bytes;
            for (char c : output)
                if (auto progress = bytes.feed(QByteArrayView(&c, 1)))
                    seen.append(*progress);
            QCOMPARE(seen.size(), output.count('%'));
            QCOMPARE(seen.last().name, QString(lastName));
            QVERIFY(seen.last().percent > 30);
            for (qsizetype cut = 0; cut <= output.size(); ++cut) {
                ProgressParser parser;
                const auto first = parser.feed(QByteArrayView(output).first(cut));
                const auto second = parser.feed(QByteArrayView(output).sliced(cut)), last = second ? second : first;
                QVERIFY2(last && *last == seen.last(), qPrintable(file + QString::number(cut)));
            }
        }
    }

    // Never answered: a cancel wakes the waiting worker.
    void cancelWakesAWaitingQuestion()
    {
        OperationJob job;
        std::atomic<bool> asked = false;
        job.setQuestionSink([&](const Question &) { asked = true; });
        std::optional<Answer> answer{Answer{}};
        std::unique_ptr<QThread> worker(QThread::create([&] { answer = job.ask(Question{}); }));
        worker->start();
        QTRY_VERIFY(asked);
        job.cancel();
        QVERIFY(worker->wait(5000));
        QVERIFY(!answer.has_value());
    }

    // Stopped at its first progress report: the tool is reaped, the outcome
    // says cancelled, and nothing it was writing is left. An extraction
    // whose archive is replaced while the tool reads it places nothing.
    // A .tar.gz is stopped in all three of its runs at once.
    void realRunsStopPartWay_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QString>("archive");
        QTest::newRow("list") << int(OperationKind::List) << false << "big.zip";
        QTest::newRow("test") << int(OperationKind::Test) << false << "big.zip";
        QTest::newRow("create over an existing ZIP") << int(OperationKind::Create) << false << "big.zip";
        QTest::newRow("extract over an existing file") << int(OperationKind::Extract) << false << "big.zip";
        QTest::newRow("extract of an archive replaced") << int(OperationKind::Extract) << true << "big.zip";
        QTest::newRow("extract a .tar.gz over an existing file") << int(OperationKind::Extract) << false << "big.tar.gz";
    }

    void realRunsStopPartWay()
    {
        QFETCH(int, kind);
        QFETCH(bool, replace);
        QTemporaryDir dir;
        QByteArray noise(48 << 20, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        QVERIFY(writeFile(dir.filePath("in/noise.bin"), noise));
        for (int i = 0; i < 300; ++i)
            writeFile(dir.filePath(QStringLiteral("in/small/%1.txt").arg(i)), QByteArray::number(i));
        QVERIFY(makeZip(dir.filePath("big.zip"), dir.filePath("in"), {"noise.bin", "small"}) && writeFile(dir.filePath("out/keep.zip"), "old")
                && makeZip(dir.filePath("other.zip"), dir.filePath("in/small"), {"1.txt"}) && writeFile(dir.filePath("out/noise.bin"), "old"));
        QFETCH(QString, archive);
        if (archive.endsWith(".tar.gz"))
            QVERIFY(runPython("import tarfile,sys\nwith tarfile.open(sys.argv[1], 'w:gz', compresslevel=1) as t: t.add(sys.argv[2], 'in')",
                              {dir.filePath(archive), dir.filePath("in")}));
        QStringList before = tree(dir.path());

        OperationRequest request;
        request.kind = OperationKind(kind);
        request.archive = kind == int(OperationKind::Create) ? dir.filePath("out/keep.zip") : dir.filePath(archive);
        request.inputs = {dir.filePath("in/noise.bin"), dir.filePath("in/small")};
        request.destination = dir.filePath("out");
        OperationJob job;
        job.setProgressSink([&](const OperationProgress &progress) {
            // An extraction lists first, without a percentage: the tool's own run is what is stopped.
            if (progress.percent < 0 && kind != int(OperationKind::List))
                return;
            if (!replace)
                job.cancel();
            else if (before.removeOne("other.zip"))
                QVERIFY(std::rename(qPrintable(dir.filePath("other.zip")), qPrintable(request.archive)) == 0);
        });
        const Outcome outcome = ArchiveEngine(kResources).execute(request, job);
        QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);   // no run left, not even unreaped
        QCOMPARE(int(outcome.kind), int(replace ? Outcome::Kind::Failed : Outcome::Kind::Cancelled));
        QCOMPARE(int(outcome.failure), int(replace ? Outcome::Failure::Changed : Outcome::Failure::None));
        QVERIFY(replace ? !before.contains("other.zip") : job.isCancelled());
        QCOMPARE(tree(dir.path()), before);
        QVERIFY(readFile(dir.filePath("out/keep.zip")) == "old" && readFile(dir.filePath("out/noise.bin")) == "old");
    }
};

QTEST_GUILESS_MAIN(OperationJobTest)
#include "OperationJobTest.moc"
