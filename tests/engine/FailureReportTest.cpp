// Failure reports from the tool's real output: recorded (tests/data/failures, listed in its index) and made here.
#include "../TestSupport.h"
#include "engine/FailureReport.h"

#include <QRegularExpression>

using namespace test_support;

namespace {

const QString kFailures = QStringLiteral(CORVEX_TEST_DATA "/failures/");

FailureReport report(OperationKind kind, const QString &archive, int status, const QString &output,
                     Outcome::Failure failure = Outcome::Failure::Tool)
{
    OperationRequest request;
    request.kind = kind;
    request.archive = archive;
    Outcome outcome;
    outcome.failure = failure;
    outcome.status = status;
    outcome.output = output;
    outcome.description = QStringLiteral("Cannot create the folder “/a/x”: Permission denied");
    return FailureReport::from(request, outcome);
}

} // namespace

class FailureReportTest : public QObject
{
    Q_OBJECT

private slots:
    void recordedOutput_data()
    {
        QTest::addColumn<QStringList>("row");
        for (const QByteArray &line : readFile(kFailures + "index.tsv").split('\n')) {
            const QStringList row = QString::fromUtf8(line).split(u'\t');
            if (row.size() == 5 && !row[0].startsWith(u'#'))
                QTest::newRow(qPrintable(row[0])) << row;
        }
    }

    // Each row: the recording (NAME.STATUS.txt), the operation, the archive, the sentence, a text shown under it.
    void recordedOutput()
    {
        QFETCH(QStringList, row);
        const QString output = QString::fromUtf8(readFile(kFailures + row[0]));
        const auto kind = OperationKind(QStringList{"list", "extract", "test", "create"}.indexOf(row[1]));
        const FailureReport failure = report(kind, "/home/u/" + row[2], row[0].section(u'.', -2, -2).toInt(), output);
        QCOMPARE(failure.message, row[3]);
        QVERIFY2(failure.informativeText.contains(row[4]), qPrintable(failure.informativeText));

        // No banner, scanning, counts or progress in the lines shown; nothing lost from the details.
        static const QRegularExpression noise(R"(7-Zip \(|locale=|Scanning|Errors: \d|^Size:|[\b]|^ *\d+%)",
                                              QRegularExpression::MultilineOption);
        QVERIFY2(!noise.match(failure.informativeText).hasMatch(), qPrintable(failure.informativeText));
        QVERIFY(!failure.details.contains(QRegularExpression("[\b]|^ *\\d+%", QRegularExpression::MultilineOption)));
        const QStringList detailLines = failure.details.split(u'\n');
        for (const QString &line : output.split(u'\n'))
            QVERIFY2(line.isEmpty() || line.contains(u'\b') || detailLines.contains(line), qPrintable(line));
    }

    // Several in one alert, a refusal among them: HostileArchiveTest.
    void otherFailures()
    {
        using F = Outcome::Failure;
        const QString folder = QDir::tempPath();
        const struct { F failure; QString archive, sentence; } cases[] = {
            {F::WrongPassword, "/a/x.7z", "The password for “x.7z” is wrong."},
            {F::NotAFile, folder, "“" + QFileInfo(folder).fileName() + "” is a folder, not an archive."}};
        for (const auto &c : cases)
            QCOMPARE(report(OperationKind::Extract, c.archive, 0, QString(), c.failure).message, c.sentence);

        QCOMPARE(report(OperationKind::Preview, "/a/x.zip", 2, "7-Zip (z) 26.02\n\nSomething new\nFiles: 0\n").informativeText,
                 "Something new");
    }
};

QTEST_GUILESS_MAIN(FailureReportTest)
#include "FailureReportTest.moc"
