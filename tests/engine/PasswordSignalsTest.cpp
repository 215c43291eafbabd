// What the tool says about passwords: recorded outputs, and lines that only
// look like its signals. Live runs on every kind are in EncryptedArchiveTest.
#include "engine/PasswordSignals.h"

#include "../TestSupport.h"

using Verdict = PasswordSignals::Verdict;
using namespace test_support;

namespace {

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
    }
};

QTEST_GUILESS_MAIN(PasswordSignalsTest)
#include "PasswordSignalsTest.moc"
