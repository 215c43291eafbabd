// What the tool says about passwords: recorded outputs, and lines that only
// look like its signals. Live runs on every kind are in EncryptedArchiveTest.
#include "engine/PasswordSignals.h"

#include "../TestSupport.h"

using Verdict = PasswordSignals::Verdict;

class PasswordSignalsTest : public QObject
{
    Q_OBJECT

private slots:
    // Whole, and fed a byte at a time.
    void recordedOutputs()
    {
        const QString folder = QStringLiteral(CORVEX_TEST_DATA "/passwords/");
        const QList<QByteArray> rows = test_support::readFile(folder + "cases.tsv").trimmed().split('\n').mid(1);
        QVERIFY(rows.size() >= 70);
        const QHash<QByteArray, Verdict> verdicts{{"none", Verdict::None}, {"needed", Verdict::Needed}, {"wrong", Verdict::Wrong}};
        for (const QByteArray &row : rows) {
            const QList<QByteArray> cells = row.split('\t');
            const QByteArray output = test_support::readFile(folder + QString::fromUtf8(cells[0]));
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

QTEST_GUILESS_MAIN(PasswordSignalsTest)
#include "PasswordSignalsTest.moc"
