// Failure reports from the tool's real output: recorded (tests/data/failures, listed in its index) and made here.
#include "../TestSupport.h"
#include "engine/FailureReport.h"
#include "engine/ProcessRunner.h"

#include <QRandomGenerator>
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

    void otherFailuresAndSeveralInOne()
    {
        using F = Outcome::Failure;
        const QString folder = QDir::tempPath();
        const struct { F failure; QString archive, sentence; } cases[] = {
            {F::WrongPassword, "/a/x.7z", "The password for “x.7z” is wrong."},
            {F::System, "/a/x.7z", "Cannot create the folder “/a/x”: Permission denied"},
            {F::EngineMissing, "/a/x.7z", "Corvex's archive engine is missing."},
            {F::NotAFile, folder, "“" + QFileInfo(folder).fileName() + "” is a folder, not an archive."},
        };
        for (const auto &c : cases)
            QCOMPARE(report(OperationKind::Extract, c.archive, 0, QString(), c.failure).message, c.sentence);

        const FailureReport unknown = report(OperationKind::Preview, "/a/x.zip", 2, "7-Zip (z) 26.02\n\nSomething new\nFiles: 0\n");
        QCOMPARE(unknown.message, "Corvex could not preview an item of “x.zip”.");
        QCOMPARE(unknown.informativeText, "Something new");

        const FailureReport one = report(OperationKind::Extract, "/a/one.zip", 2, "ERROR: one.zip\nIs not archive\n");
        const FailureReport two = report(OperationKind::Extract, "/b/two.zip", 2, "ERRORS:\nHeaders Error\n");
        const FailureReport both = FailureReport::combine({one, two});
        QCOMPARE(both.message, one.message + "\n" + two.message);
        QCOMPARE(both.informativeText, "one.zip:\nERROR: one.zip\nIs not archive\n\ntwo.zip:\nERRORS:\nHeaders Error");
        QCOMPARE(both.details, "/a/one.zip:\n" + one.details + "\n\n/b/two.zip:\n" + two.details);
    }

    // The bundled tool today, in case the recordings went stale; write failures are only recorded.
    void realRuns()
    {
        QTemporaryDir dir;
        const QString d = dir.path() + "/";
        QByteArray data(200'000, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(data.data()), data.size() / 4);
        QVERIFY(writeFile(d + "in/data.bin", data) && writeFile(d + "notes.txt", "hello\n"));
        QVERIFY(makeZip(d + "good.zip", d + "in", {"data.bin"}) && runTool({"a", "-t7z", "--", d + "good.7z", "data.bin"}, d + "in"));
        QVERIFY(writeFile(d + "truncated.zip", readFile(d + "good.zip").chopped(200)));
        QByteArray packed = readFile(d + "good.7z");
        QVERIFY(writeFile(d + "corrupted.7z", packed.replace(1000, 100, QByteArray(100, 'x'))));
        const auto run = [](OperationKind kind, const QString &archive, const QStringList &arguments) {
            const ProcessRunner::Result result = ProcessRunner::run(kTool, arguments);
            return report(kind, archive, result.status, QString::fromUtf8(result.output)).message;
        };
        const auto extract = [&](const QString &archive) {
            return run(OperationKind::Extract, d + archive, {"x", "-bsp1", "-spd", "-o" + d + "out", "-y", "--", d + archive});
        };
        QCOMPARE(extract("notes.txt"), "“notes.txt” is not an archive, or is in a format Corvex cannot read.");
        QCOMPARE(extract("truncated.zip"), "“truncated.zip” is damaged or incomplete.");
        QCOMPARE(extract("corrupted.7z"), "“corrupted.7z” is damaged or incomplete.");
        QCOMPARE(run(OperationKind::Create, d + "new.zip", {"a", "-bsp1", "-tzip", "-spd", "--", d + "new.zip", d + "gone"}),
                 "An item to be put in “new.zip” cannot be found.");
    }
};

QTEST_GUILESS_MAIN(FailureReportTest)
#include "FailureReportTest.moc"
