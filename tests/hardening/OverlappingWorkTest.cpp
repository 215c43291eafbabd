// Twenty loads and extractions started at once in the window, the tool wrapped so each takes a
// known, distinct time: completions must arrive on the main thread in the order the work finished, and the
// window must end as the last completion left it. Each load cancels the one before: only the archive opened
// last is shown, whatever order the listings would have ended in.
#include "../ui/UiTestSupport.h"

#include <QRandomGenerator>
#include <QThread>

#include <algorithm>

using namespace ui_test;

namespace {

// Notes every completion that reaches the desktop, and whether on the main thread; an error is missed.
class RecordingDesktop : public FakeDesktop
{
public:
    QStringList seen;

    void note(const QString &what)
    {
        const bool main = QThread::currentThread() == QCoreApplication::instance()->thread();
        seen.append(main ? what : QStringLiteral("off the main thread: ") + what);
    }
    void reveal(const QStringList &paths) override { note(QStringLiteral("extract ") + paths.value(0)); }
};

// Waits as long as the first of the working folder (an extraction runs in its destination) and the arguments
// holding "-wait<milliseconds>" says.
const char *const wrapper = R"sh(#!/bin/sh
for a in "$PWD" "$@"; do case "$a" in *-wait[0-9]*) ms=${a##*-wait}; ms=${ms%%[!0-9]*}; sleep "$((ms / 1000)).$(printf %03d $((ms % 1000)))"; break ;; esac; done
exec "%1" "$@"
)sh";

} // namespace

class OverlappingWorkTest : public QObject
{
    Q_OBJECT
private slots:
    void completionsArriveInOrderOnTheMainThread()
    {
        QTemporaryDir scratch;
        const QString tool = scratch.filePath("resources/bin/7zz");
        QVERIFY(writeFile(tool, QString::fromLatin1(wrapper).arg(kTool).toUtf8()) &&
                QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QStringList members;
        for (int i = 0; i < 22; ++i) {
            members.append(QStringLiteral("m%1.txt").arg(i, 2, 10, QLatin1Char('0')));
            QVERIFY(writeFile(scratch.filePath("members/" + members.last()), QByteArray::number(i)));
        }

        // Twenty operations with shuffled, distinct delays: 12 loads and 8 extractions of the archive shown
        // at the start. Each knows the completion it must cause and the status it leaves.
        QList<int> delay;
        for (int i = 0; i < 20; ++i) delay.append(300 + 150 * i);
        std::shuffle(delay.begin(), delay.end(), QRandomGenerator(20261206));
        struct Op { int delay; QString path, completion, status; int rows = 0; /* loads only */ };
        QList<Op> ops;
        for (int k = 0; k < 12; ++k) {
            const QString zip = scratch.filePath(QStringLiteral("a%1-wait%2.zip").arg(k).arg(delay[k]));
            QVERIFY(makeZip(zip, scratch.filePath("members"), members.first(10 + k)));
            ops.append({delay[k], zip, QStringLiteral("load %1 rows").arg(10 + k), QStringLiteral("%1 items").arg(10 + k), 10 + k});
        }
        for (int j = 12; j < 20; ++j) {
            const QString folder = scratch.filePath(QStringLiteral("x%1-wait%2").arg(j).arg(delay[j]));
            ops.append({delay[j], folder, QStringLiteral("extract ") + folder, QStringLiteral("Extracted to ") + folder});
        }
        const QString base = QStringLiteral("base.zip");
        QVERIFY(makeZip(scratch.filePath(base), scratch.filePath("members"), members.first(3)));

        QThreadPool::globalInstance()->setMaxThreadCount(24);   // the only test here
        ArchiveEngine engine(scratch.filePath("resources"));
        RecordingDesktop desktop;
        CorvexController controller(engine, desktop);
        QAbstractItemModel *model = table(controller)->model();
        load(controller, scratch.filePath(base), QStringLiteral("3 items"));
        // A load's completion resets the table; the row count names it.
        connect(model, &QAbstractItemModel::modelReset, this,
                [&] { desktop.note(QStringLiteral("load %1 rows").arg(model->rowCount())); }, Qt::DirectConnection);

        // All submitted from the main thread before any completion can run.
        for (const Op &op : ops) {
            if (op.rows) {
                controller.loadArchive(op.path);
            } else {
                desktop.queueChosenFiles({op.path});
                controller.extractArchive();
            }
        }
        QCOMPARE(desktop.seen.size(), 0);
        // Loads opened before the last one never complete.
        ops.erase(std::remove_if(ops.begin(), ops.end(), [](const Op &op) { return op.rows && op.rows < 21; }), ops.end());
        QTRY_COMPARE_WITH_TIMEOUT(desktop.seen.size(), ops.size(), 60000);
        drainWork();

        // In the order the work finished; the last completion decides the status, the last load the archive shown.
        std::sort(ops.begin(), ops.end(), [](const Op &a, const Op &b) { return a.delay < b.delay; });
        QStringList expected;
        for (const Op &op : ops) expected.append(op.completion);
        QCOMPARE(desktop.seen, expected);
        QCOMPARE(statusText(controller), ops.last().status);
        const Op &lastLoad = *std::find_if(ops.rbegin(), ops.rend(), [](const Op &op) { return op.rows > 0; });
        QCOMPARE(controller.archivePath(), lastLoad.path);
        // Every extraction worked on the archive shown when it started.
        for (const Op &op : ops)
            QVERIFY(op.rows || QDir(op.path).entryList(QDir::Files).size() == 3);
    }
};

QTEST_MAIN(OverlappingWorkTest)
#include "OverlappingWorkTest.moc"
