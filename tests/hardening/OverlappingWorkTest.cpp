// Twenty loads, extractions and a test started at once in the window, the tool wrapped so each takes a
// known, distinct time: completions must arrive on the main thread in the order the work finished, and the
// window must end as the last completion left it. Each load cancels the one before: only the archive opened
// last is shown, whatever order the listings would have ended in.
#include "engine/ArchiveEngine.h"
#include "ui/CorvexController.h"
#include "platform/FakeDesktop.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <algorithm>

namespace {

struct Completion {
    QString what;
    bool onMainThread;
};

// Notes every completion that reaches the desktop, and on which thread.
class RecordingDesktop : public FakeDesktop
{
public:
    QList<Completion> seen;

    void note(const QString &what)
    {
        seen.append({what, QThread::currentThread() == QCoreApplication::instance()->thread()});
    }
    void reveal(const QStringList &paths) override
    {
        note(QStringLiteral("extract ") + paths.value(0));
        FakeDesktop::reveal(paths);
    }
    void showAlert(AlertStyle style, const QString &message, const QString &informativeText) override
    {
        note(QStringLiteral("test ") + informativeText);
        FakeDesktop::showAlert(style, message, informativeText);
    }
    void showError(const QString &description) override
    {
        note(QStringLiteral("error ") + description);
        FakeDesktop::showError(description);
    }
};

// Waits as long as the first argument holding "-wait<milliseconds>" says.
const char *const wrapper = R"sh(#!/bin/sh
for argument in "$@"; do
  case "$argument" in
    *-wait[0-9]*)
      ms=${argument##*-wait}; ms=${ms%%[!0-9]*}
      sleep "$((ms / 1000)).$(printf %03d $((ms % 1000)))"
      break ;;
  esac
done
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
        const QDir dir(scratch.path());
        QVERIFY(dir.mkpath(QStringLiteral("resources/bin")) && dir.mkpath(QStringLiteral("members")));
        QFile tool(dir.filePath(QStringLiteral("resources/bin/7zz")));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.write(QString::fromLatin1(wrapper).arg(QStringLiteral(CORVEX_RESOURCE_DIR "/bin/7zz")).toUtf8());
        tool.close();
        QVERIFY(tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QStringList members;
        for (int i = 0; i < 22; ++i) {
            members.append(QStringLiteral("m%1.txt").arg(i, 2, 10, QLatin1Char('0')));
            QFile member(dir.filePath(QStringLiteral("members/") + members.last()));
            QVERIFY(member.open(QIODevice::WriteOnly) && member.write(QByteArray::number(i)));
        }
        auto zip = [&](const QString &name, int count) {
            QProcess zipper;
            zipper.setWorkingDirectory(dir.filePath(QStringLiteral("members")));
            zipper.start(QStringLiteral(CORVEX_RESOURCE_DIR "/bin/7zz"),
                         QStringList{"a", "-tzip", "-spd", "--", dir.filePath(name)} + members.first(count));
            return zipper.waitForFinished(60000) && zipper.exitCode() == 0;
        };

        // Twenty operations with shuffled, distinct delays: 12 loads, 7 extractions and a test of the
        // archive shown at the start. Each knows the completion it must cause and the status it leaves.
        QList<int> rank;
        for (int i = 0; i < 20; ++i)
            rank.append(i);
        QRandomGenerator random(20261206);
        std::shuffle(rank.begin(), rank.end(), random);
        struct Op {
            int delay;
            QString path, completion, status;
            int rows = 0;   // loads only
        };
        QList<Op> ops;
        for (int k = 0; k < 12; ++k) {
            const int delay = 300 + 150 * rank[k];
            const QString name = QStringLiteral("a%1-wait%2.zip").arg(k).arg(delay);
            QVERIFY(zip(name, 10 + k));
            ops.append({delay, dir.filePath(name), QStringLiteral("load %1 rows").arg(10 + k),
                        QStringLiteral("%1 items").arg(10 + k), 10 + k});
        }
        for (int j = 12; j < 19; ++j) {
            const int delay = 300 + 150 * rank[j];
            const QString folder = dir.filePath(QStringLiteral("x%1-wait%2").arg(j).arg(delay));
            ops.append({delay, folder, QStringLiteral("extract ") + folder, QStringLiteral("Extracted to ") + folder});
        }
        const QString base = QStringLiteral("base-wait%1.zip").arg(300 + 150 * rank[19]);
        QVERIFY(zip(base, 3));
        ops.append({300 + 150 * rank[19], QString(), QStringLiteral("test ") + base, QStringLiteral("Archive test passed")});

        const int oldThreads = QThreadPool::globalInstance()->maxThreadCount();
        QThreadPool::globalInstance()->setMaxThreadCount(24);
        ArchiveEngine engine(dir.filePath(QStringLiteral("resources")));
        RecordingDesktop desktop;
        CorvexController controller(engine, desktop);
        auto *status = controller.window()->findChild<QLabel *>(QStringLiteral("statusLabel"));
        auto *path = controller.window()->findChild<QLabel *>(QStringLiteral("pathLabel"));
        QAbstractItemModel *model = controller.window()->findChild<QTableView *>(QStringLiteral("entryTable"))->model();
        QVERIFY(status && path && model);
        controller.loadArchive(dir.filePath(base));
        QTRY_COMPARE_WITH_TIMEOUT(controller.archivePath(), dir.filePath(base), 30000);
        // A load's completion resets the table; the row count names it.
        connect(model, &QAbstractItemModel::modelReset, this,
                [&] { desktop.note(QStringLiteral("load %1 rows").arg(model->rowCount())); }, Qt::DirectConnection);

        // All submitted from the main thread before any completion can run.
        for (const Op &op : ops) {
            if (op.rows) {
                controller.loadArchive(op.path);
            } else if (!op.path.isEmpty()) {
                desktop.queueOpenPanelAnswer({op.path});
                controller.extractArchive();
            } else {
                controller.testArchive();
            }
        }
        QCOMPARE(desktop.seen.size(), 0);
        // Loads opened before the last one never complete.
        ops.erase(std::remove_if(ops.begin(), ops.end(), [](const Op &op) { return op.rows && op.rows < 21; }),
                  ops.end());
        QTRY_COMPARE_WITH_TIMEOUT(desktop.seen.size(), ops.size(), 60000);
        QThreadPool::globalInstance()->waitForDone();
        QTest::qWait(50);
        QThreadPool::globalInstance()->setMaxThreadCount(oldThreads);

        // In the order the work finished, each on the main thread; the last completion decides the
        // status, the last load the archive shown.
        std::sort(ops.begin(), ops.end(), [](const Op &a, const Op &b) { return a.delay < b.delay; });
        QStringList expected, got;
        for (const Op &op : ops)
            expected.append(op.completion);
        for (const Completion &c : desktop.seen) {
            QVERIFY2(c.onMainThread, qPrintable(c.what));
            got.append(c.what);
        }
        QCOMPARE(got, expected);
        QCOMPARE(status->text(), ops.last().status);
        const Op &lastLoad = *std::find_if(ops.rbegin(), ops.rend(), [](const Op &op) { return op.rows > 0; });
        QCOMPARE(controller.archivePath(), lastLoad.path);
        QCOMPARE(path->text(), lastLoad.path);
        QCOMPARE(model->rowCount(), lastLoad.rows);
        QCOMPARE(int(controller.entries().size()), lastLoad.rows);
        // Every extraction worked on the archive shown when it started.
        for (const Op &op : ops) {
            if (!op.rows && !op.path.isEmpty())
                QCOMPARE(QDir(op.path).entryList(QDir::Files).size(), 3);
        }
    }
};

QTEST_MAIN(OverlappingWorkTest)
#include "OverlappingWorkTest.moc"
