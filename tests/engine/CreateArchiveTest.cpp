// New archives of every format made through the engine, then tested, listed and extracted back by the tool:
// contents, links, empty folders and modes kept; volumes; passwords only on standard input; an existing name
// asked about; a cancel leaving nothing behind; a pipe among the items left out and never opened.
#include "../TestSupport.h"
#include "engine/CreationRules.h"
#include "engine/OperationJob.h"

#include <QRandomGenerator>
#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace test_support;
namespace fs = std::filesystem;
using F = NewFormat;

namespace {

// The folder's names but the items put in.
QStringList made(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).filter(QRegularExpression("^(?!in$)"));
}

// Watches a pipe from another thread: whatever opens it to read is let go at once, never left waiting, and noted.
struct PipeGuard {
    std::atomic<bool> stop{false}, opened{false};
    std::thread thread;
    explicit PipeGuard(const std::string &path)
        : thread([this, path] {
              for (; !stop; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
                  if (const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0)
                      opened = true, ::close(fd);
              }
          })
    {
    }
    ~PipeGuard() { stop = true, thread.join(); }
};

} // namespace

class CreateArchiveTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_in;
    QByteArray m_data;
    bool m_pipeOpened = false;

    Outcome create(NewArchiveOptions options, const QString &name, const QString &password = {},
                   std::optional<ConflictChoice> choice = {}, bool cancel = false)
    {
        OperationRequest request;
        request.kind = OperationKind::Create;
        request.archive = m_dir.filePath(name);
        request.inputs = {m_in};
        request.password = password;
        request.creation = options;
        OperationJob job;
        job.setQuestionSink([&](const Question &question) {
            QVERIFY(question.newArchive && !question.keptName.isEmpty());
            Answer answer;
            answer.choice = choice.value_or(ConflictChoice::Cancel);
            answer.cancelled = !choice;
            job.answer(answer);
        });
        if (cancel)
            job.setProgressSink([&job](const OperationProgress &) { job.cancel(); });
        const PipeGuard guard((m_in + "/pipe").toStdString());
        Outcome outcome = ArchiveEngine(kResources).execute(request, job);
        m_pipeOpened = m_pipeOpened || guard.opened;
        return outcome;
    }

private slots:
    void initTestCase()
    {
        m_in = m_dir.filePath("in");
        m_data.resize(300'000);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(m_data.data()), m_data.size() / 4);
        QVERIFY(writeFile(m_in + "/data.bin", m_data) && writeFile(m_in + "/run.sh", "#!/bin/sh\n"));
        fs::permissions((m_in + "/run.sh").toStdString(), fs::perms(0755));
        fs::create_directory((m_in + "/empty").toStdString());
        fs::create_symlink("data.bin", (m_in + "/link").toStdString());
        fs::create_symlink("/etc/hostname", (m_in + "/outside").toStdString());
        QCOMPARE(::mkfifo((m_in + "/pipe").toUtf8().constData(), 0600), 0);
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("password");
        QTest::addColumn<qint64>("volumes");
        QTest::addColumn<bool>("hideNames");
        const qint64 v = CreationRules::kSmallestVolume;
        for (const CreationRules::FormatRow &row : CreationRules::formats()) {
            const F format = row.format;
            const QString label = CreationRules::row(format).label;
            QTest::addRow("%s", qPrintable(label)) << int(format) << QString() << qint64(0) << false;
            QTest::addRow("%s volumes", qPrintable(label)) << int(format) << QString() << v << false;
            if (CreationRules::passwordRefusal(format).isEmpty()) {
                QTest::addRow("%s password", qPrintable(label)) << int(format) << "s3cret pw" << qint64(0) << false;
                QTest::addRow("%s password volumes", qPrintable(label)) << int(format) << "s3cret" << v << (format == F::SevenZip);
            }
        }
    }
    void roundTrip()
    {
        QFETCH(int, format);
        QFETCH(QString, password);
        QFETCH(qint64, volumes);
        QFETCH(bool, hideNames);
        const QString name = CreationRules::withFormat("new", F(format));
        QDir(m_dir.path()).removeRecursively(), QDir().mkpath(m_dir.path());
        initTestCase();
        const Outcome outcome = create({F(format), NewLevel::Fast, volumes, hideNames}, name, password);
        QVERIFY2(outcome.succeeded(), qPrintable(outcome.output + outcome.description));
        QVERIFY(!m_pipeOpened);
        QCOMPARE(outcome.description, "1 special file(s) (pipes, sockets or devices) were left out: in/pipe");
        const QString opened = m_dir.filePath(CreationRules::openedPath(name, volumes));
        QCOMPARE(outcome.path, opened);
        QStringList expected{name};
        if (volumes)
            expected = QStringList{name + ".001", name + ".002", name + ".003", name + ".004"}.mid(0, made(m_dir.path()).size());
        QCOMPARE(made(m_dir.path()), expected);
        QVERIFY(expected.size() > (volumes ? 2 : 0));

        const QByteArray input = password.isEmpty() ? QByteArray() : password.toUtf8() + '\n';
        QVERIFY(runTool({"t", "--", opened}, {}, kTool, input));
        QCOMPARE(runTool({"l", "--", opened}), password.isEmpty() || !hideNames);
        const QString out = m_dir.filePath("out");
        // A compressed tar is two layers: the stream, then the tar in it.
        if (CreationRules::row(F(format)).compresses && !CreationRules::row(F(format)).stores)
            QVERIFY(runTool({"-c", "\"$0\" x -so -- \"$1\" | \"$0\" x -si -ttar -snl -y -o\"$2\"", kTool, opened, out}, {}, "sh"));
        else
            QVERIFY(runTool({"x", "-snl", "-y", "-o" + out, "--", opened}, {}, kTool, input));
        QCOMPARE(tree(out), QStringList({"in", "in/data.bin", "in/empty", "in/link", "in/run.sh"}));
        // The link out of the items stays a link (the tool points it inside on extraction, dangling).
        QCOMPARE(readFile(out + "/in/data.bin"), m_data);
        QCOMPARE(fs::read_symlink((out + "/in/link").toStdString()), fs::path("data.bin"));
        QVERIFY(fs::is_symlink((out + "/in/outside").toStdString()));
        QVERIFY((fs::status((out + "/in/run.sh").toStdString()).permissions() & fs::perms::owner_exec) != fs::perms::none);
    }

    // An existing name is asked about: Keep Both takes the next free name, Replace takes the place of the
    // whole old archive, Cancel leaves everything as it was.
    void existingName_data()
    {
        QTest::addColumn<int>("choice");   // -1: cancelled
        QTest::addColumn<qint64>("volumes");
        QTest::addColumn<QStringList>("after");
        const qint64 v = CreationRules::kSmallestVolume;
        QTest::newRow("keep both") << int(ConflictChoice::KeepBoth) << qint64(0) << QStringList{"r 2.7z", "r.7z", "r.7z.001"};
        QTest::newRow("replace") << int(ConflictChoice::Replace) << qint64(0) << QStringList{"r.7z", "r.7z.001"};
        QTest::newRow("cancel") << -1 << qint64(0) << QStringList{"r.7z", "r.7z.001"};
        QTest::newRow("keep both, volumes")
            << int(ConflictChoice::KeepBoth) << v << QStringList{"r 2.7z.001", "r 2.7z.002", "r 2.7z.003", "r 2.7z.004", "r.7z", "r.7z.001"};
        QTest::newRow("replace, volumes")
            << int(ConflictChoice::Replace) << v << QStringList{"r.7z.001", "r.7z.002", "r.7z.003", "r.7z.004"};
    }
    void existingName()
    {
        QFETCH(int, choice);
        QFETCH(qint64, volumes);
        for (const QString &name : made(m_dir.path()))
            fs::remove_all(m_dir.filePath(name).toStdString());
        QVERIFY(writeFile(m_dir.filePath("r.7z"), "old") && writeFile(m_dir.filePath("r.7z.001"), "old"));
        QVERIFY(writeFile(m_dir.filePath("r.7z.005"), "old set"));
        const Outcome outcome = create({F::SevenZip, NewLevel::Store, volumes, false}, "r.7z", {},
                                       choice < 0 ? std::nullopt : std::optional(ConflictChoice(choice)));
        QCOMPARE(outcome.kind, choice < 0 ? Outcome::Kind::Cancelled : Outcome::Kind::Succeeded);
        QFETCH(QStringList, after);
        QCOMPARE(made(m_dir.path()), after + QStringList{"r.7z.005"}.mid(0, volumes && choice == int(ConflictChoice::Replace) ? 0 : 1));
        QCOMPARE(readFile(m_dir.filePath("r.7z")) == "old", after.contains("r.7z") && choice != int(ConflictChoice::Replace));
    }

    // Stopped at the tool's first progress report: nothing is left, not even a volume.
    void cancel_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<qint64>("volumes");
        for (const CreationRules::FormatRow &row : CreationRules::formats())
            for (const qint64 volumes : {qint64(0), qint64(1'000'000)})
                QTest::addRow("%s %lld", row.label, volumes) << int(row.format) << volumes;
    }
    void cancel()
    {
        QFETCH(int, format);
        QFETCH(qint64, volumes);
        for (const QString &name : made(m_dir.path()))
            fs::remove_all(m_dir.filePath(name).toStdString());
        QByteArray big(8'000'000, Qt::Uninitialized);
        QRandomGenerator(3).fillRange(reinterpret_cast<quint32 *>(big.data()), big.size() / 4);
        QVERIFY(writeFile(m_in + "/big.bin", big));
        const Outcome outcome = create({F(format), NewLevel::Maximum, volumes, false}, "c", {}, {}, true);
        QFile::remove(m_in + "/big.bin");
        QCOMPARE(outcome.kind, Outcome::Kind::Cancelled);
        QCOMPARE(made(m_dir.path()).join(","), QString());
    }
};

QTEST_GUILESS_MAIN(CreateArchiveTest)
#include "CreateArchiveTest.moc"
