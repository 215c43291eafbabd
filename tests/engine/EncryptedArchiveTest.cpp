// Encrypted archives of every kind through execute(): the password is asked
// only when needed, asked again after a wrong one, and Cancel ends it with
// nothing left on disk; every run of the tool is recorded, and no password is
// in its arguments or environment. Then the tool's password signals on recorded output.
#include "../TestSupport.h"
#include "engine/OperationJob.h"
#include "engine/PasswordSignals.h"

using namespace test_support;
using Verdict = PasswordSignals::Verdict;

Q_DECLARE_METATYPE(OperationKind)

namespace {

// ZIP takes printable ASCII only: a leading '-', quotes, runs of spaces.
const QString zipPassword = QStringLiteral("-p 'q\"uote'  two ");
// 7z takes any: non-ASCII, 200 characters.
const QString sevenZipPassword = QStringLiteral("Ünïcödé ") + QString(192, QLatin1Char('k'));

bool isSevenZip(int kind) { return kind == int(Encryption::SevenZipData) || kind == int(Encryption::SevenZipNames); }
QString rightPassword(int kind) { return isSevenZip(kind) ? sevenZipPassword : zipPassword; }

// A resource folder whose bin/7zz records each run (calls.log beside it) and then runs the real tool.
QString recordingResources(const QString &folder)
{
    qputenv("CORVEX_REAL_TOOL", QFile::encodeName(kTool));
    QDir().mkpath(folder + "/bin");
    QFile::link(QStringLiteral(CORVEX_HELPER_DIR "/corvex_test_tool"), folder + "/bin/7zz");
    return folder;
}

// What the tool was started with since the last look, which starts afresh.
QByteArray takeCalls(const QString &resources)
{
    const QByteArray calls = readFile(resources + "/bin/calls.log");
    QFile::remove(resources + "/bin/calls.log");
    return calls;
}

} // namespace

class EncryptedArchiveTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    const QString m_resources = recordingResources(m_dir.filePath("resources"));
    const ArchiveEngine m_engine{m_resources};
    const QString m_scratch = m_dir.filePath("scratch");   // the temporary and preview folders; "out" to extract into

    QString archive(int kind) const { return m_dir.filePath(QString::number(kind) + (isSevenZip(kind) ? ".7z" : ".zip")); }

private slots:
    void initTestCase()
    {
        qputenv("TMPDIR", QFile::encodeName(m_scratch)), qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_scratch));
        QVERIFY(writeFile(m_dir.filePath("in/a.txt"), "plain\n") && writeFile(m_dir.filePath("in/b.txt"), "second\n"));
        for (int kind = 0; kind <= int(Encryption::ZipFirstMemberPlain); ++kind)
            QVERIFY(makeEncrypted(Encryption(kind), archive(kind), m_dir.path(), {"in/a.txt", "in/b.txt"}, rightPassword(kind)));
    }

    void init()
    {
        QVERIFY(QDir(m_scratch).removeRecursively() && QDir().mkpath(m_scratch + "/out"));
        QVERIFY(QFile::setPermissions(m_scratch, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    void askedWhenNeeded_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<OperationKind>("operation");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QStringList>("answers");
        for (int kind = 0; kind <= int(Encryption::ZipFirstMemberPlain); ++kind) {
            const QString right = rightPassword(kind), wrong = right + 'x';
            for (const OperationKind operation : {OperationKind::List, OperationKind::Extract, OperationKind::Test,
                                                  OperationKind::Preview}) {
                for (const QStringList &answers : {QStringList{right}, {wrong, right}, {wrong, QString()}})
                    QTest::addRow("kind %d, operation %d, %lld answers, %s", kind, int(operation), answers.size(),
                                  answers.last().isNull() ? "cancel" : "right")
                        << kind << operation << QString() << answers;
            }
            QTest::addRow("kind %d, kept password wrong", kind) << kind << OperationKind::Test << wrong << QStringList{right};
        }
        QTest::addRow("line break never sent") << 2 << OperationKind::Test << QString()
                                               << QStringList{sevenZipPassword + "\nx", sevenZipPassword};
    }

    void askedWhenNeeded()
    {
        QFETCH(int, kind);
        QFETCH(OperationKind, operation);
        QFETCH(QString, kept);
        QFETCH(QStringList, answers);
        OperationRequest request;
        request.kind = operation, request.archive = archive(kind), request.destination = m_scratch + "/out";
        request.members = operation == OperationKind::Preview ? QStringList{"in/b.txt"} : QStringList();
        request.password = kept;
        // Answers in turn (a null string cancels); each question's "last was wrong" goes to `asked`.
        QList<bool> asked;
        OperationJob job;
        job.setQuestionSink([&, queue = answers](const Question &question) mutable {
            asked.append(question.lastPasswordWrong);
            Answer answer;
            answer.password = queue.isEmpty() ? QString() : queue.takeFirst();
            answer.cancelled = answer.password.isNull();
            job.answer(answer);
        });
        const Outcome outcome = m_engine.execute(request, job);

        const bool needed = operation != OperationKind::List || kind == int(Encryption::SevenZipNames);
        const bool right = !needed || !answers.last().isNull();
        QCOMPARE(outcome.kind, right ? Outcome::Kind::Succeeded : Outcome::Kind::Cancelled);
        QList<bool> expected;
        for (qsizetype i = 0; needed && i < answers.size(); ++i)
            expected.append(i > 0 || !kept.isEmpty());
        QCOMPARE(asked, expected);
        QCOMPARE(outcome.password, needed && right ? answers.last() : QString());
        if (right && operation == OperationKind::List)
            QCOMPARE(outcome.entries.size(), 2u);
        if (right && operation == OperationKind::Preview) {
            QCOMPARE(readFile(outcome.path), QByteArray("second\n"));
            QVERIFY(QDir(QDir::cleanPath(outcome.path + "/../..")).removeRecursively());
        }
        // A wrong or cancelled attempt leaves no file and no preview folder.
        const bool extracted = right && operation == OperationKind::Extract;
        QCOMPARE(tree(m_scratch), (extracted ? QStringList{"out", "out/in", "out/in/a.txt", "out/in/b.txt"} : QStringList{"out"}));
        QVERIFY(!extracted || readFile(m_scratch + "/out/in/b.txt") == "second\n");
        const QByteArray calls = takeCalls(m_resources);
        QVERIFY(calls.contains("arg "));
        for (const QString &password : answers + QStringList{kept})
            QVERIFY2(password.isEmpty() || !calls.contains(password.toUtf8()), qPrintable(password));
    }

    // A new ZIP's password too goes to the tool on its standard input only; one the tool
    // would not keep as typed (it takes printable ASCII) is refused and nothing is written.
    void newZipPassword_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("printable ASCII") << zipPassword << true;
        QTest::newRow("accented") << QStringLiteral("p\u00e4ss") << false;
        QTest::newRow("tab") << QStringLiteral("a\tb") << false;
    }

    void newZipPassword()
    {
        QFETCH(QString, password);
        QFETCH(bool, accepted);
        OperationRequest request;
        request.kind = OperationKind::Create, request.archive = m_scratch + "/new.zip";
        request.inputs = {m_dir.filePath("in/a.txt")}, request.password = password;
        OperationJob job;
        const Outcome outcome = m_engine.execute(request, job);
        QCOMPARE(outcome.succeeded(), accepted);
        // In words, where the tool would say only "E_INVALIDARG".
        QVERIFY2(accepted || outcome.description.startsWith("A ZIP password can hold only"), qPrintable(outcome.description));
        QVERIFY(!takeCalls(m_resources).contains(password.toUtf8()));
        QCOMPARE(QFile::exists(request.archive), accepted);
        QVERIFY(!accepted || (!runTool({"t", "-p" + password + "x", request.archive}) && runTool({"t", "-p" + password, request.archive})));
    }

    // What the tool says about passwords, in recorded outputs: whole, and fed a byte at a time.
    void recordedOutputs()
    {
        const QString folder = QStringLiteral(CORVEX_TEST_DATA "/passwords/");
        const QList<QByteArray> rows = readFile(folder + "cases.tsv").trimmed().split('\n').mid(1);
        QVERIFY(rows.size() >= 70);
        const QHash<QByteArray, Verdict> verdicts{{"none", Verdict::None}, {"needed", Verdict::Needed}, {"wrong", Verdict::Wrong}};
        for (const QByteArray &row : rows) {
            const QList<QByteArray> cells = row.split('\t');
            const QByteArray output = readFile(folder + QString::fromUtf8(cells[0]));
            QVERIFY2(PasswordSignals::read(cells[1].toInt(), output) == verdicts.value(cells[2]), cells[0]);
            PasswordSignals reader;
            for (const char byte : output)
                reader.feed(QByteArrayView(&byte, 1));
            QVERIFY2(reader.verdict(cells[1].toInt()) == verdicts.value(cells[2]), cells[0]);
        }
    }

    void lookalikesAreNotSignals()
    {
        // The last: a progress text erased with backspaces and spaces, as the tool prints it.
        const QByteArray prompt = "  3% 1 - Enter password (will not be echoed):", back(prompt.size(), '\b');
        const std::pair<QByteArray, int> outputs[] = {
            {"Path = Wrong password\n", 2}, {"ERROR: CRC Failed : Wrong password\n", 2},
            {"x.7z\nCannot open encrypted archive. Wrong password?\n", 2},
            {prompt + back + QByteArray(prompt.size(), ' ') + back + "\nBreak signaled\n", 255}};
        for (const auto &[output, status] : outputs)
            QVERIFY2(PasswordSignals::read(status, output) == Verdict::None, output);
    }
};

QTEST_GUILESS_MAIN(EncryptedArchiveTest)
#include "EncryptedArchiveTest.moc"
