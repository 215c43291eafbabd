// What the tool says about passwords: recorded outputs, lines that only look
// like its signals, and live runs on archives of every kind.
#include "engine/PasswordSignals.h"
#include "engine/ToolPassword.h"

#include "../TestSupport.h"

using Verdict = PasswordSignals::Verdict;
using namespace test_support;

namespace {

// Standard input is the line given, or the null device.
Verdict verdictOfTest(const QString &archive, const std::optional<QByteArray> &input)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!input)
        process.setStandardInputFile(QProcess::nullDevice());
    process.start(kTool, {QStringLiteral("t"), QStringLiteral("-bsp1"), QStringLiteral("--"), archive});
    process.write(input.value_or(QByteArray()));
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        qFatal("the tool did not end");
    return PasswordSignals::read(process.exitCode(), process.readAll());
}

// A progress text as the tool prints it: erased with backspaces and spaces.
QByteArray progress(const QByteArray &text)
{
    const QByteArray back(text.size(), '\b');
    return text + back + QByteArray(text.size(), ' ') + back;
}

} // namespace

class PasswordSignalsTest : public QObject
{
    Q_OBJECT

private slots:
    void recordedOutputsWholeAndCut()
    {
        const QString folder = QStringLiteral(CORVEX_TEST_DATA "/passwords/");
        const QList<QByteArray> rows = readFile(folder + QStringLiteral("cases.tsv")).trimmed().split('\n').mid(1);
        QVERIFY(rows.size() >= 70);
        const QHash<QByteArray, Verdict> verdicts{
            {"none", Verdict::None}, {"needed", Verdict::Needed}, {"wrong", Verdict::Wrong}};
        for (const QByteArray &row : rows) {
            const QList<QByteArray> cells = row.split('\t');
            const QByteArray output = readFile(folder + QString::fromUtf8(cells[0]));
            const int status = cells[1].toInt();
            QVERIFY2(PasswordSignals::read(status, output) == verdicts.value(cells[2]), cells[0]);
            PasswordSignals reader;
            for (const char byte : output)
                reader.feed(QByteArrayView(&byte, 1));
            QVERIFY2(reader.verdict(status) == verdicts.value(cells[2]), cells[0]);
        }
    }

    void lookalikesAreNotSignals()
    {
        const std::pair<QByteArray, int> outputs[] = {
            {"Path = Wrong password\n", 2},
            {"ERROR: CRC Failed : Wrong password\n", 2},
            {"x.7z\nCannot open encrypted archive. Wrong password?\n", 2},
            {progress("  3% 1 - Enter password (will not be echoed):") + "\nBreak signaled\n", 255},
        };
        for (const auto &[output, status] : outputs)
            QVERIFY2(PasswordSignals::read(status, output) == Verdict::None, output);
        // A line the tool would cut short is refused before it is sent.
        QCOMPARE(ToolPassword::standardInput(QStringLiteral("a\nb")), std::nullopt);
        QCOMPARE(ToolPassword::standardInput(QStringLiteral("a") + QChar(0)), std::nullopt);
    }

    // Every kind with awkward passwords, through the real tool: the right
    // one passes, a wrong one is refused, none is asked for. A new ZIP
    // takes a password exactly when the rule for new ZIPs says so.
    void liveArchives()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("in/a.txt"), "hello\n") && writeFile(dir.filePath("in/b.txt"), "second\n"));
        const QStringList passwords{QStringLiteral("two  words "), QStringLiteral("q'\"`$(x)"), QStringLiteral("-p-y"),
                                    QStringLiteral("Ünïcödé Ωмега"), QString(200, QLatin1Char('k')),
                                    QStringLiteral("tab\tin")};
        const QList<std::pair<Encryption, QString>> kinds{
            {Encryption::ZipCrypto, "zc.zip"}, {Encryption::ZipAes, "aes.zip"}, {Encryption::SevenZipData, "d.7z"},
            {Encryption::SevenZipNames, "n.7z"}, {Encryption::ZipFirstMemberPlain, "p.zip"}};
        for (int i = 0; i < passwords.size(); ++i) {
            const QString &password = passwords[i];
            const bool zipTakesIt = ToolPassword::newZipProblem(password).isEmpty();
            for (const auto &[kind, name] : kinds) {
                const QString archive = dir.filePath(QString::number(i) + name);
                if (name.endsWith(QLatin1String(".zip")) && !zipTakesIt && kind != Encryption::ZipAes)
                    continue;
                const bool made = makeEncrypted(kind, archive, dir.path(), {"in/a.txt", "in/b.txt"}, password);
                QCOMPARE(made, kind == Encryption::ZipAes ? zipTakesIt : true);
                if (!made)
                    continue;
                QCOMPARE(verdictOfTest(archive, ToolPassword::standardInput(password)), Verdict::None);
                QCOMPARE(verdictOfTest(archive, ToolPassword::standardInput(password + 'x')), Verdict::Wrong);
                QCOMPARE(verdictOfTest(archive, std::nullopt), Verdict::Needed);
            }
        }
    }
};

QTEST_GUILESS_MAIN(PasswordSignalsTest)
#include "PasswordSignalsTest.moc"
