// The operation model: progress read from the tool's real output, questions
// answered or abandoned, and real runs of the tool stopped part-way.
#include "../TestSupport.h"
#include "engine/JobQueue.h"
#include "engine/OperationJob.h"
#include "engine/ProgressParser.h"

#include <QThread>

using namespace test_support;

namespace {

QList<OperationProgress> byteByByte(const QByteArray &output)
{
    QList<OperationProgress> seen;
    ProgressParser parser;
    for (char c : output) {
        if (auto progress = parser.feed(QByteArrayView(&c, 1)))
            seen.append(*progress);
    }
    return seen;
}

} // namespace

class OperationJobTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void progressFromRecordedOutput_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("lastName");
        QTest::newRow("extract") << "extract.out" << "big.bin";
        QTest::newRow("test") << "test.out" << "text.txt";
        QTest::newRow("create") << "create.out" << "d/f3";
    }

    // Fed a byte at a time or cut anywhere in two, the same progress comes
    // out as from the whole text; ordinary lines never count.
    void progressFromRecordedOutput()
    {
        QFETCH(QString, file);
        QFETCH(QString, lastName);
        const QByteArray output = readFile(QStringLiteral(CORVEX_TEST_DATA "/progress/") + file);
        const QList<OperationProgress> seen = byteByByte(output);
        QCOMPARE(seen.size(), output.count('%'));
        QCOMPARE(seen.last().name, lastName);
        QVERIFY(seen.last().percent > 30);
        const auto whole = ProgressParser().feed(output);
        QVERIFY(whole && *whole == seen.last());
        for (qsizetype cut = 0; cut <= output.size(); ++cut) {
            ProgressParser parser;
            auto first = parser.feed(QByteArrayView(output).first(cut));
            auto second = parser.feed(QByteArrayView(output).sliced(cut));
            auto last = second ? second : first;
            QVERIFY2(last && *last == seen.last(), qPrintable(QString::number(cut)));
        }
    }

    void questionsAreAnsweredOrAbandoned()
    {
        // Answered from the caller's thread while the worker waits.
        JobQueue queue(this);
        std::optional<Outcome> result;
        JobQueue::Callbacks callbacks;
        QThread *answeredOn = nullptr;
        callbacks.question = [&](const Question &question) {
            answeredOn = QThread::currentThread();
            Answer answer;
            answer.password = question.archive + QStringLiteral("!");
            return answer;
        };
        callbacks.finished = [&](Outcome outcome) { result = std::move(outcome); };
        queue.start([](OperationJob &job) {
            Question question;
            question.archive = QStringLiteral("a.7z");
            Outcome outcome;
            outcome.password = job.ask(question).value_or(Answer{}).password;
            return outcome;
        }, callbacks);
        QTRY_VERIFY(result.has_value());
        QCOMPARE(result->password, QStringLiteral("a.7z!"));
        QCOMPARE(answeredOn, QThread::currentThread());

        // Never answered: a cancel wakes the waiting worker.
        OperationJob job;
        job.setQuestionSink([](const Question &) {});
        std::optional<Answer> answer{Answer{}};
        QThread *worker = QThread::create([&] { answer = job.ask(Question{}); });
        worker->start();
        QTest::qWait(50);
        QVERIFY(!worker->isFinished());
        job.cancel();
        QVERIFY(worker->wait(5000));
        delete worker;
        QVERIFY(!answer.has_value());
    }

    // Stopped at its first progress report: the tool is reaped, the outcome
    // says cancelled, and nothing it was writing is left. An extraction
    // whose archive is replaced while the tool reads it places nothing.
    void realRunsStopPartWay_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("replace");
        QTest::newRow("list") << int(OperationKind::List) << false;
        QTest::newRow("test") << int(OperationKind::Test) << false;
        QTest::newRow("create over an existing ZIP") << int(OperationKind::Create) << false;
        QTest::newRow("extract over an existing file") << int(OperationKind::Extract) << false;
        QTest::newRow("extract of an archive replaced") << int(OperationKind::Extract) << true;
    }

    void realRunsStopPartWay()
    {
        QFETCH(int, kind);
        QFETCH(bool, replace);
        QTemporaryDir dir;
        QByteArray noise(48 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < noise.size(); i += 4096)
            noise[i] = char(i * 2654435761u >> 24);
        QVERIFY(writeFile(dir.filePath("in/noise.bin"), noise));
        for (int i = 0; i < 300; ++i)
            QVERIFY(writeFile(dir.filePath(QStringLiteral("in/small/%1.txt").arg(i)), QByteArray::number(i)));
        QVERIFY(makeZip(dir.filePath("big.zip"), dir.filePath("in"), {"noise.bin", "small"}));
        QVERIFY(makeZip(dir.filePath("other.zip"), dir.filePath("in/small"), {"1.txt"}));
        QVERIFY(writeFile(dir.filePath("out/keep.zip"), "old"));
        QVERIFY(writeFile(dir.filePath("out/noise.bin"), "old"));
        QStringList before = tree(dir.path());

        OperationRequest request;
        request.kind = OperationKind(kind);
        request.archive = kind == int(OperationKind::Create) ? dir.filePath("out/keep.zip") : dir.filePath("big.zip");
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
        QCOMPARE(int(outcome.kind), int(replace ? Outcome::Kind::Failed : Outcome::Kind::Cancelled));
        QCOMPARE(int(outcome.failure), int(replace ? Outcome::Failure::Changed : Outcome::Failure::None));
        QVERIFY(replace ? !before.contains("other.zip") : job.isCancelled());
        QCOMPARE(tree(dir.path()), before);
        QCOMPARE(readFile(dir.filePath("out/keep.zip")), QByteArray("old"));
        QCOMPARE(readFile(dir.filePath("out/noise.bin")), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(OperationJobTest)
#include "OperationJobTest.moc"
