#include "ArchiveError.h"
#include "ProcessRunner.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

const QString tool = QStringLiteral(CORVEX_HELPER_DIR "/corvex_test_tool");

ProcessRunner::Result runTool(const QStringList &arguments, const ProcessRunner::Options &options = {})
{
    return ProcessRunner::run(tool, arguments, options);
}

} // namespace

class ProcessRunnerTest : public QObject
{
    Q_OBJECT
private slots:
    void statusAndBothStreams()
    {
        auto result = runTool({"exit", "3", "some output"});
        QCOMPARE(result.status, 3);
        QCOMPARE(result.output, QByteArray("some output"));

        result = runTool({"stderr", "only on stderr\n", "2"});
        QCOMPARE(result.status, 2);
        QCOMPARE(result.output, QByteArray("only on stderr\n"));

        // Both streams share one pipe, so the order written is kept.
        result = runTool({"alternate", "200"});
        QByteArray expected;
        for (int i = 0; i < 200; ++i)
            expected += (i % 2 ? "err " : "out ") + QByteArray::number(i) + "\n";
        QCOMPARE(result.output, expected);
    }

    // Far more than a pipe holds: the runner must drain while the tool writes.
    void largeOutputArrivesWholeAndStreamed()
    {
        qsizetype streamed = 0;
        ProcessRunner::Options options;
        options.onOutput = [&streamed](QByteArrayView chunk) { streamed += chunk.size(); };
        const auto result = runTool({"flood", "40"}, options);
        QCOMPARE(result.status, 0);
        QCOMPARE(result.output.size(), qsizetype(40) * 1024 * 1024);
        QCOMPARE(streamed, result.output.size());
    }

    void keepLimitKeepsHeadAndTailAtLineBreaks()
    {
        ProcessRunner::Options options;
        options.keepLimit = 1024 * 1024;
        const auto result = runTool({"flood", "8"}, options);
        QVERIFY(result.truncated);
        QVERIFY(result.output.size() <= options.keepLimit + 16);
        QVERIFY(result.output.startsWith("line 0 of the flood"));
        QVERIFY(result.output.contains("\n\xE2\x80\xA6\nline "));
        QVERIFY(result.output.endsWith(runTool({"flood", "8"}).output.right(100)));

        // A zero limit keeps only the mark of the cut.
        options.keepLimit = 0;
        QCOMPARE(runTool({"flood", "3"}, options).output, QByteArray("\xE2\x80\xA6\n"));
    }

    void standardInputIsTheNullDevice()
    {
        QCOMPARE(runTool({"stdin"}).output, QByteArray("read 0\n"));
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

    void launchFailureIsASystemError()
    {
        try {
            ProcessRunner::run(QStringLiteral("/nonexistent/tool"), {});
            QFAIL("no error");
        } catch (const SystemError &error) {
            QVERIFY(error.message().contains(QLatin1String("/nonexistent/tool")));
            QVERIFY(error.message().contains(QLatin1String("No such file or directory")));
        }
    }

    void signalIsAFailure()
    {
        const auto result = runTool({"signal"});
        QVERIFY(result.signalled);
        QCOMPARE(result.status, 128 + SIGTERM);
        QCOMPARE(result.output, QByteArray("terminated\n"));
    }

    void hangingToolEndsWhenKilled()
    {
        QTemporaryDir dir;
        const QString pidFile = dir.filePath("pid");
        std::atomic<bool> done = false;
        ProcessRunner::Result result;
        std::thread worker([&] {
            result = runTool({"hang", pidFile});
            done = true;
        });
        QTRY_VERIFY(QFile::exists(pidFile) && QFile(pidFile).size() > 0);
        QFile file(pidFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const pid_t pid = pid_t(file.readAll().trimmed().toInt());
        QThread::msleep(50);
        QVERIFY(!done);
        ::kill(pid, SIGKILL);
        worker.join();
        QVERIFY(result.signalled);
        QCOMPARE(result.output, QByteArray("hanging\n"));
        // Reaped: no zombie is left with that pid.
        QCOMPARE(::kill(pid, 0), -1);
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

    void workingFolderIsApplied()
    {
        QTemporaryDir dir;
        ProcessRunner::Options options;
        options.workingFolder = dir.path();
        QVERIFY(runTool({"args"}, options).output.endsWith("cwd=" + QFile::encodeName(dir.path()) + "\n"));
        options.workingFolder = dir.filePath("missing");
        QVERIFY_THROWS_EXCEPTION(SystemError, runTool({"args"}, options));
    }

    // A replaced variable is gone whole, one whose name merely starts alike stays.
    void environmentEntriesReplaceInheritedOnes()
    {
        qputenv("CORVEX_PROBE", "inherited");
        qputenv("CORVEX_PROBE_LONGER", "kept");
        ProcessRunner::Options options;
        options.environment = QStringList{"CORVEX_PROBE=replaced", "CORVEX_PROBE_NEW=1"};
        const QList<QByteArray> lines = ProcessRunner::run("/usr/bin/env", {}, options).output.split('\n');
        QCOMPARE(lines.count("CORVEX_PROBE=replaced"), 1);
        QVERIFY(!lines.contains("CORVEX_PROBE=inherited"));
        QVERIFY(lines.contains("CORVEX_PROBE_LONGER=kept"));
        QVERIFY(lines.contains("CORVEX_PROBE_NEW=1"));
        qunsetenv("CORVEX_PROBE");
        qunsetenv("CORVEX_PROBE_LONGER");
    }
};

QTEST_GUILESS_MAIN(ProcessRunnerTest)
#include "ProcessRunnerTest.moc"
