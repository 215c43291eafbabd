// Failure reports from the tool's real output: recorded (tests/data/failures) and made here.
#include "engine/FailureReport.h"
#include "engine/ProcessRunner.h"

#include "../TestSupport.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include <unistd.h>

using namespace test_support;

namespace {

const QString kFailures = QStringLiteral(CORVEX_TEST_DATA "/failures/");

OperationRequest request(OperationKind kind, const QString &archive)
{
    OperationRequest request;
    request.kind = kind;
    request.archive = archive;
    return request;
}

FailureReport toolFailure(OperationKind kind, const QString &archive, int status, const QString &output)
{
    Outcome outcome;
    outcome.kind = Outcome::Kind::Failed;
    outcome.failure = Outcome::Failure::Tool;
    outcome.status = status;
    outcome.output = output;
    return FailureReport::from(request(kind, archive), outcome);
}

FailureReport run(OperationKind kind, const QString &archive, const QStringList &arguments)
{
    const ProcessRunner::Result result = ProcessRunner::run(kTool, arguments);
    return toolFailure(kind, archive, result.status, QString::fromUtf8(result.output));
}

} // namespace

class FailureReportTest : public QObject
{
    Q_OBJECT

private slots:
    void recordedOutput_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<QString>("shown");
        const QStringList kinds{"list", "extract", "test", "create", "preview"};
        for (const QByteArray &line : readFile(kFailures + "index.tsv").split('\n')) {
            const QStringList row = QString::fromUtf8(line).split(u'\t');
            if (row.size() == 5 && !row[0].startsWith(u'#'))
                QTest::newRow(qPrintable(row[0])) << row[0] << int(kinds.indexOf(row[1])) << row[2] << row[3] << row[4];
        }
    }

    void recordedOutput()
    {
        QFETCH(QString, file);
        QFETCH(int, kind);
        QFETCH(QString, archive);
        QFETCH(QString, sentence);
        QFETCH(QString, shown);
        const QString output = QString::fromUtf8(readFile(kFailures + file));
        const FailureReport report = toolFailure(OperationKind(kind), "/home/u/" + archive,
                                                 file.section(u'.', -2, -2).toInt(), output);
        QCOMPARE(report.message, sentence);
        QVERIFY2(report.informativeText.contains(shown), qPrintable(report.informativeText));

        // No banner, scanning, counts or progress above the fold; nothing lost behind it.
        static const QRegularExpression noise(
            R"(7-Zip \(|locale=|Scanning|Everything is Ok|Errors: \d|^Size:|[\b]|^ *\d+%)",
            QRegularExpression::MultilineOption);
        QVERIFY2(!noise.match(report.informativeText).hasMatch(), qPrintable(report.informativeText));
        QVERIFY(!noise.match(report.details).hasMatch() || report.details.contains("7-Zip ("));
        QVERIFY(!report.details.contains(u'\b'));
        const QStringList detailLines = report.details.split(u'\n');
        for (const QString &line : output.split(u'\n')) {
            if (!line.contains(u'\b') && !line.isEmpty())
                QVERIFY2(detailLines.contains(line), qPrintable(line));
        }
    }

    void otherFailures_data()
    {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("sentence");
        const QString folder = QDir::tempPath();
        QTest::newRow("password") << int(Outcome::Failure::WrongPassword) << "/a/x.7z" << "The password for “x.7z” is wrong.";
        QTest::newRow("system") << int(Outcome::Failure::System) << "/a/x.7z" << "Cannot create the folder “/a/x”: Permission denied";
        QTest::newRow("engine") << int(Outcome::Failure::EngineMissing) << "/a/x.7z" << "Corvex's archive engine is missing.";
        QTest::newRow("folder") << int(Outcome::Failure::NotAFile) << folder << "“" + QFileInfo(folder).fileName() + "” is a folder, not an archive.";
        QTest::newRow("device") << int(Outcome::Failure::NotAFile) << "/dev/null" << "“null” is not a regular file, so Corvex cannot open it as an archive.";
        QTest::newRow("changed") << int(Outcome::Failure::Changed) << "/a/x.7z" << "“x.7z” changed while it was being extracted.";
    }

    void otherFailures()
    {
        QFETCH(int, failure);
        QFETCH(QString, archive);
        QFETCH(QString, sentence);
        Outcome outcome;
        outcome.kind = Outcome::Kind::Failed;
        outcome.failure = Outcome::Failure(failure);
        outcome.description = "Cannot create the folder “/a/x”: Permission denied";
        const FailureReport report = FailureReport::from(request(OperationKind::Extract, archive), outcome);
        QCOMPARE(report.message, sentence);
        QVERIFY(report.informativeText.isEmpty() && report.details.isEmpty());
    }

    void unknownOutputStillGetsASentence()
    {
        const FailureReport report = toolFailure(OperationKind::Preview, "/a/x.zip", 2,
                                                 "\n7-Zip (z) 26.02\n\nSomething new happened\nFiles: 0\n");
        QCOMPARE(report.message, "Corvex could not preview an item of “x.zip”.");
        QCOMPARE(report.informativeText, "Something new happened");
    }

    void severalFailuresMakeOneReport()
    {
        const FailureReport one = toolFailure(OperationKind::Extract, "/a/one.zip", 2, "ERROR: one.zip\nIs not archive\n");
        const FailureReport two = toolFailure(OperationKind::Extract, "/b/two.zip", 2, "ERRORS:\nHeaders Error\n");
        const FailureReport both = FailureReport::combine({one, two});
        QCOMPARE(both.message, one.message + "\n" + two.message);
        QCOMPARE(both.informativeText, "one.zip:\nERROR: one.zip\nIs not archive\n\ntwo.zip:\nERRORS:\nHeaders Error");
        QVERIFY(both.details.contains("/a/one.zip:\n" + one.details) && both.details.contains("/b/two.zip:\n" + two.details));
    }

    // The real tool, run as the engine runs it.
    void realRuns()
    {
        QTemporaryDir dir;
        const QString d = dir.path() + "/";
        QByteArray data(200'000, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(data.data()), data.size() / 4);
        QVERIFY(writeFile(d + "in/data.bin", data) && writeFile(d + "notes.txt", "hello\n"));
        QVERIFY(makeZip(d + "good.zip", d + "in", {"data.bin"}));
        QVERIFY(writeFile(d + "truncated.zip", readFile(d + "good.zip").left(100'000)));
        QVERIFY(runTool({"a", "-t7z", "-spd", "--", d + "good.7z", "data.bin"}, d + "in"));
        QByteArray packed = readFile(d + "good.7z");
        for (int i = 1000; i < 1100; ++i)
            packed[i] = char(~packed[i]);
        QVERIFY(writeFile(d + "corrupted.7z", packed));
        const auto extract = [&d](const QString &archive, const QString &into = "out") {
            return run(OperationKind::Extract, d + archive, {"x", "-bsp1", "-spd", "-o" + d + into, "-y", "--", d + archive});
        };
        QCOMPARE(extract("notes.txt").message, "“notes.txt” is not an archive, or is in a format Corvex cannot read.");
        QCOMPARE(extract("truncated.zip").message, "“truncated.zip” is damaged or incomplete.");
        QCOMPARE(extract("corrupted.7z").message, "“corrupted.7z” is damaged or incomplete.");
        QCOMPARE(run(OperationKind::Create, d + "new.zip", {"a", "-bsp1", "-tzip", "-spd", "--", d + "new.zip", d + "gone"}).message,
                 "An item to be put in “new.zip” cannot be found.");

        // Root writes into any folder: a read-only mount stands in for one it may not write.
        QVERIFY(QDir().mkpath(d + "ro"));
        const bool mounted = geteuid() == 0 && runTool({"-t", "tmpfs", "-o", "ro,size=64k", "tmpfs", d + "ro"}, d, "mount");
        if (geteuid() == 0 && !mounted)
            QSKIP("a read-only destination needs a mount here");
        QFile::setPermissions(d + "ro", QFile::ReadOwner | QFile::ExeOwner);
        const QString message = extract("good.zip", "ro").message;
        if (mounted)
            runTool({d + "ro"}, d, "umount");
        QCOMPARE(message, QString("Corvex could not write the items of “good.zip”: %1.")
                              .arg(mounted ? "Read-only file system" : "Permission denied"));
    }
};

QTEST_GUILESS_MAIN(FailureReportTest)
#include "FailureReportTest.moc"
