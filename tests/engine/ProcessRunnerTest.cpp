#include "engine/SystemError.h"
#include "engine/ExtractionStaging.h"
#include "engine/ListingParser.h"
#include "engine/ProcessRunner.h"
#include "../TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

ProcessRunner::Result runTool(const QStringList &arguments, const ProcessRunner::Options &options = {})
{
    return ProcessRunner::run(QStringLiteral(CORVEX_HELPER_DIR "/corvex_test_tool"), arguments, options);
}

const QStringList kTarPaths{"t", "t/a.txt", "t/d", "t/d/b.txt"};

} // namespace

class ProcessRunnerTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // small.tar.gz holds kTarPaths; big.tar.gz 24 MiB of noise, which keeps a
    // first run writing while the second fails or is cancelled.
    void initTestCase()
    {
        QVERIFY(test_support::runPython(
            "import tarfile,os,sys\nos.chdir(sys.argv[1])\nos.makedirs('t/d')\n"
            "open('t/a.txt','w').write('a')\nopen('t/d/b.txt','w').write('b')\nopen('big','wb').write(os.urandom(24<<20))\n"
            "for name, member in (('small', 't'), ('big', 'big')):\n"
            "  with tarfile.open(name + '.tar.gz', 'w:gz', compresslevel=1) as t: t.add(member)\n"
            "open('cut.tar.gz','wb').write(open('big.tar.gz','rb').read()[:2<<20])\n",
            {m_dir.path()}));
    }

    // Two runs of the real tool, the first fed by the runner or reading the
    // file itself; a failure is the run's that failed on its own.
    void pipelineOfTheTool_data()
    {
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<QString>("fed");
        QTest::addColumn<int>("failed");
        const QStringList tar{"l", "-slt", "-si", "-ttar"};
        QTest::newRow("listed") << QStringList{"x", "-so", "--", "small.tar.gz"} << tar << "" << -1;
        QTest::newRow("fed") << QStringList{"x", "-so", "-si", "-tgzip"} << tar << "small.tar.gz" << -1;
        QTest::newRow("cut stream") << QStringList{"x", "-so", "--", "cut.tar.gz"} << tar << "" << 0;
        QTest::newRow("not gzip") << QStringList{"x", "-so", "-si", "-tgzip"} << tar << "t/a.txt" << 0;
        QTest::newRow("not zip") << QStringList{"x", "-so", "--", "big.tar.gz"} << QStringList{"l", "-si", "-tzip"} << "" << 1;
    }

    void pipelineOfTheTool()
    {
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(QString, fed);
        QFETCH(int, failed);
        ToolPlan plan;
        plan.stages = {{test_support::kTool, first, m_dir.path()}, {test_support::kTool, second, m_dir.path()}};
        QFile input(m_dir.filePath(fed));
        if (!fed.isEmpty() && input.open(QIODevice::ReadOnly))
            plan.inputFd = input.handle();
        qint64 fedBytes = 0;
        ProcessRunner::Options options;
        options.onFed = [&fedBytes](qint64 done, qint64) { fedBytes = done; };
        const auto result = ProcessRunner::run(plan, options);
        QCOMPARE(result.failedStage(), failed);
        if (failed >= 0) {
            QVERIFY2(result.stages[failed].output.contains("ERROR"), result.stages[failed].output);
            return;
        }
        ListingParser parser;
        parser.feed(result.stages.back().output);
        QCOMPARE(test_support::sortedPaths(parser.finish()), kTarPaths);
        QCOMPARE(fedBytes, fed.isEmpty() ? 0 : input.size());
    }

    // Cancelled in either run, even one that ignores SIGTERM: every run is
    // reaped, and the staging folder takes what was written with it.
    void cancelEndsEveryRun_data()
    {
        QTest::addColumn<int>("trigger");   // the run whose first output cancels
        QTest::addColumn<int>("hanging");   // the run that ignores SIGTERM; -1: none
        QTest::addColumn<bool>("beside");   // a listing beside the last run, reading the first's output too
        QTest::newRow("first run") << 0 << -1 << false;
        QTest::newRow("last run") << 1 << -1 << false;
        QTest::newRow("first hangs") << 1 << 0 << false;
        QTest::newRow("last hangs") << 1 << 1 << false;
        QTest::newRow("beside, first run") << 0 << -1 << true;
        QTest::newRow("beside, listing") << 1 << -1 << true;
        QTest::newRow("beside, listing hangs") << 2 << 1 << true;
        QTest::newRow("beside, last hangs") << 2 << 2 << true;
    }

    void cancelEndsEveryRun()
    {
        QFETCH(int, trigger);
        QFETCH(int, hanging);
        const QString destination = m_dir.filePath(QTest::currentDataTag());
        QVERIFY(QDir().mkpath(destination));
        {
            ExtractionStaging staging(destination);
            ToolPlan plan;
            plan.stages = {{test_support::kTool, {"x", "-so", "-bsp2", "--", m_dir.filePath("big.tar.gz")}, QString()},
                           {test_support::kTool, {"x", "-si", "-ttar", "-bsp1", "-y", "-o."}, staging.path()}};
            QFETCH(bool, beside);
            if (beside)
                plan.stages.insert(plan.stages.begin() + 1, {test_support::kTool, {"l", "-slt", "-si", "-ttar"}, QString()});
            plan.listingBeside = beside;
            if (hanging >= 0)
                plan.stages[hanging] = {CORVEX_HELPER_DIR "/corvex_test_tool", {"hang", m_dir.filePath("pid")}, QString()};
            ProcessRunner::Options options;
            options.cancelFd = ::eventfd(0, EFD_CLOEXEC);
            options.onOutput = [&](int stage, QByteArrayView) {
                if (stage == trigger)
                    ::eventfd_write(options.cancelFd, 1);
            };
            const auto result = ProcessRunner::run(plan, options);
            ::close(options.cancelFd);
            QVERIFY(result.cancelled);
        }
        QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);   // no run left, not even unreaped
        QCOMPARE(test_support::tree(destination), QStringList());
    }

    void statusStreamsAndInput()
    {
        const struct { QStringList arguments; int status; bool signalled; QByteArray output; } cases[] = {
            {{"exit", "3", "some output"}, 3, false, "some output"}, {{"stderr", "on stderr\n", "2"}, 2, false, "on stderr\n"},
            {{"signal"}, 128 + SIGTERM, true, "terminated\n"}, {{"stdin"}, 0, false, "read 0\n"}};
        for (const auto &c : cases) {
            const auto result = runTool(c.arguments);
            QVERIFY2(result.status == c.status && result.signalled == c.signalled && result.output == c.output, result.output);
        }

        // Both streams share one pipe, so the order written is kept.
        QByteArray expected;
        for (int i = 0; i < 200; ++i)
            expected += (i % 2 ? "err " : "out ") + QByteArray::number(i) + "\n";
        QCOMPARE(runTool({"alternate", "200"}).output, expected);
    }

    // Far more than a pipe holds: the runner must drain while the tool writes.
    void largeOutputIsDrainedAndBounded()
    {
        qsizetype streamed = 0;
        ProcessRunner::Options options;
        options.onOutput = [&streamed](int, QByteArrayView chunk) { streamed += chunk.size(); };
        const auto whole = runTool({"flood", "40"}, options);
        QCOMPARE(whole.status, 0);
        QCOMPARE(whole.output.size(), qsizetype(40) * 1024 * 1024);
        QCOMPARE(streamed, whole.output.size());

        ProcessRunner::Options bounded;
        bounded.keepLimit = 1024 * 1024;
        const auto result = runTool({"flood", "8"}, bounded);
        QVERIFY(result.truncated);
        QVERIFY(result.output.size() <= bounded.keepLimit + 16);
        QVERIFY(result.output.startsWith("line 0 of the flood"));
        QVERIFY(result.output.contains("\n\xE2\x80\xA6\nline "));
        QVERIFY(result.output.endsWith(runTool({"flood", "8"}).output.right(100)));
        bounded.keepLimit = 0;
        QCOMPARE(runTool({"flood", "3"}, bounded).output, QByteArray("\xE2\x80\xA6\n"));
    }

    void noDescriptorLeaksIntoTheChild()
    {
        // A descriptor without close-on-exec, as a careless library might leave.
        const int leaky = ::open("/dev/null", O_RDONLY);
        QVERIFY(leaky > 2);
        const auto result = runTool({"fds"});
        ::close(leaky);
        QCOMPARE(result.output, QByteArray());
    }

    void launchFailuresAreSystemErrors()
    {
        const QString problem = ProcessRunner::run(QStringLiteral("/nonexistent/tool"), {}).problem;
        QVERIFY(problem.contains(QLatin1String("/nonexistent/tool")));
        QVERIFY(problem.contains(QLatin1String("No such file or directory")));
        QTemporaryDir dir;
        ProcessRunner::Options options;
        options.workingFolder = dir.path();
        QVERIFY(runTool({"cwd"}, options).output.endsWith("cwd=" + QFile::encodeName(dir.path()) + "\n"));
        options.workingFolder = dir.filePath("missing");
        QVERIFY(!runTool({"cwd"}, options).problem.isEmpty());
    }

    // Cancelled, a tool that ignores SIGTERM is killed after the grace, and reaped.
    void cancelledToolEndsAndIsReaped()
    {
        QTemporaryDir dir;
        const QString pidFile = dir.filePath("pid");
        ProcessRunner::Options options;
        options.cancelFd = ::eventfd(0, EFD_CLOEXEC);
        std::thread canceller([&] {
            while (QFile(pidFile).size() == 0)
                QThread::msleep(10);
            ::eventfd_write(options.cancelFd, 1);
        });
        const auto result = runTool({"hang", pidFile}, options);
        canceller.join();
        ::close(options.cancelFd);
        QVERIFY(result.cancelled && result.signalled);
        QCOMPARE(result.status, 128 + SIGKILL);
        QCOMPARE(result.output, QByteArray("hanging\n"));
        QCOMPARE(::kill(pid_t(test_support::readFile(pidFile).trimmed().toInt()), 0), -1);   // no zombie left with that pid
    }

    void severalThreadsAtOnce()
    {
        std::vector<std::thread> threads;
        std::atomic<int> good = 0;
        for (int t = 0; t < 8; ++t) {
            threads.emplace_back([&good, t] {
                for (int i = 0; i < 10; ++i) {
                    const auto r = runTool({"exit", QString::number(t), QStringLiteral("thread %1").arg(t)});
                    good += r.status == t && r.output == QByteArray("thread ") + QByteArray::number(t);
                }
            });
        }
        for (auto &thread : threads)
            thread.join();
        QCOMPARE(good.load(), 80);
    }

    // A replaced variable is gone whole; one whose name merely starts alike stays.
    void environmentEntriesReplaceInheritedOnes()
    {
        qputenv("CORVEX_PROBE", "inherited");
        qputenv("CORVEX_PROBE_LONGER", "kept");
        ProcessRunner::Options options;
        options.environment = QStringList{"CORVEX_PROBE=replaced", "CORVEX_PROBE_NEW=1"};
        const QList<QByteArray> lines = ProcessRunner::run("/usr/bin/env", {}, options).output.split('\n');
        qunsetenv("CORVEX_PROBE");
        qunsetenv("CORVEX_PROBE_LONGER");
        QCOMPARE(lines.count("CORVEX_PROBE=replaced"), 1);
        QVERIFY(!lines.contains("CORVEX_PROBE=inherited"));
        QVERIFY(lines.contains("CORVEX_PROBE_LONGER=kept") && lines.contains("CORVEX_PROBE_NEW=1"));
    }
};

QTEST_GUILESS_MAIN(ProcessRunnerTest)
#include "ProcessRunnerTest.moc"
