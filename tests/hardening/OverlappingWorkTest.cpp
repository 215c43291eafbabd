// Twenty loads, extractions and a test started at once in the window. The
// tool is wrapped so that each piece of work takes a known, distinct time:
// completions must then arrive one by one on the main thread in the order
// the work finished, and the window must end in the state that the last
// completion set (for loads: the archive whose listing ended last, not the
// one opened last).
#include "ArchiveEngine.h"
#include "CorvexController.h"
#include "FakeDesktop.h"

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

bool run7zz(const QStringList &arguments, const QString &folder)
{
    QProcess tool;
    tool.setWorkingDirectory(folder);
    tool.start(QStringLiteral(CORVEX_RESOURCE_DIR "/bin/7zz"), arguments);
    return tool.waitForFinished(60000) && tool.exitCode() == 0;
}

} // namespace

class OverlappingWorkTest : public QObject
{
    Q_OBJECT
private slots:
    void completionsArriveInOrderOnTheMainThread()
    {
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QDir dir(scratch.path());
        QVERIFY(dir.mkpath(QStringLiteral("resources/bin")) && dir.mkpath(QStringLiteral("members")));
        QFile tool(dir.filePath(QStringLiteral("resources/bin/7zz")));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.write(QString::fromLatin1(wrapper).arg(QStringLiteral(CORVEX_RESOURCE_DIR "/bin/7zz")).toUtf8());
        tool.close();
        QVERIFY(tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        for (int i = 0; i < 40; ++i) {
            QFile member(dir.filePath(QStringLiteral("members/m%1.txt").arg(i, 2, 10, QLatin1Char('0'))));
            QVERIFY(member.open(QIODevice::WriteOnly));
            member.write(QByteArray::number(i));
        }
        auto members = [](int count) {
            QStringList names;
            for (int i = 0; i < count; ++i)
                names.append(QStringLiteral("m%1.txt").arg(i, 2, 10, QLatin1Char('0')));
            return names;
        };

        // Twenty operations, each with its own delay: 12 loads, 7
        // extractions and one test of the archive shown at the start.
        QList<int> rank;
        for (int i = 0; i < 20; ++i)
            rank.append(i);
        QRandomGenerator random(20261206);
        std::shuffle(rank.begin(), rank.end(), random);
        auto delay = [&](int op) { return 300 + 150 * rank[op]; };
        const int testOp = 19;
        const QString base = dir.filePath(QStringLiteral("base-wait%1.zip").arg(delay(testOp)));
        QVERIFY(run7zz(QStringList{"a", "-tzip", "-spd", "--", base} + members(3), dir.filePath("members")));
        struct Op {
            QString kind;      // "load", "extract" or "test"
            QString path;      // the archive or the folder
            int members = 0;
        };
        QList<Op> ops;
        for (int k = 0; k < 12; ++k) {
            const QString archive = dir.filePath(QStringLiteral("a%1-wait%2.zip").arg(k).arg(delay(k)));
            QVERIFY(run7zz(QStringList{"a", "-tzip", "-spd", "--", archive} + members(10 + k), dir.filePath("members")));
            ops.append({QStringLiteral("load"), archive, 10 + k});
        }
        for (int j = 12; j < 19; ++j)
            ops.append({QStringLiteral("extract"), dir.filePath(QStringLiteral("x%1-wait%2").arg(j).arg(delay(j))), 0});
        ops.append({QStringLiteral("test"), base, 0});

        const int oldThreads = QThreadPool::globalInstance()->maxThreadCount();
        QThreadPool::globalInstance()->setMaxThreadCount(24);
        ArchiveEngine engine(dir.filePath(QStringLiteral("resources")));
        RecordingDesktop desktop;
        CorvexController controller(engine, desktop);
        auto *status = controller.window()->findChild<QLabel *>(QStringLiteral("statusLabel"));
        auto *path = controller.window()->findChild<QLabel *>(QStringLiteral("pathLabel"));
        QAbstractItemModel *model = controller.window()->findChild<QTableView *>(QStringLiteral("entryTable"))->model();
        QVERIFY(status && path && model);
        controller.loadArchive(base);
        QTRY_COMPARE_WITH_TIMEOUT(controller.archivePath(), base, 30000);

        // A load's completion resets the table; the row count names it.
        connect(model, &QAbstractItemModel::modelReset, this, [&] {
            desktop.note(QStringLiteral("load %1 rows").arg(model->rowCount()));
        }, Qt::DirectConnection);

        // All submitted from the main thread before any completion can run.
        for (const Op &op : ops) {
            if (op.kind == QLatin1String("load")) {
                controller.loadArchive(op.path);
            } else if (op.kind == QLatin1String("extract")) {
                desktop.queueOpenPanelAnswer({op.path});
                controller.extractArchive();
            } else {
                controller.testArchive();
            }
        }
        QCOMPARE(desktop.seen.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(desktop.seen.size(), 20, 60000);
        QThreadPool::globalInstance()->waitForDone();
        QTest::qWait(50);
        QThreadPool::globalInstance()->setMaxThreadCount(oldThreads);

        // Expected: by delay, which is the order the work finished in.
        QList<int> order;
        for (int i = 0; i < 20; ++i)
            order.append(i);
        std::sort(order.begin(), order.end(), [&](int a, int b) { return delay(a) < delay(b); });
        QStringList expected, got;
        for (int i : order) {
            const Op &op = ops[i];
            expected.append(op.kind == QLatin1String("load") ? QStringLiteral("load %1 rows").arg(op.members)
                            : op.kind == QLatin1String("extract") ? QStringLiteral("extract ") + op.path
                                                                 : QStringLiteral("test ") + QFileInfo(base).fileName());
        }
        for (const Completion &c : desktop.seen) {
            QVERIFY2(c.onMainThread, qPrintable(c.what));
            got.append(c.what);
        }
        QCOMPARE(got, expected);

        // The last completion decides the status; the last load the archive.
        const Op &last = ops[order.last()];
        const QString lastStatus = last.kind == QLatin1String("load") ? QStringLiteral("%1 items").arg(last.members)
                                   : last.kind == QLatin1String("extract") ? QStringLiteral("Extracted to ") + last.path
                                                                          : QStringLiteral("Archive test passed");
        QCOMPARE(status->text(), lastStatus);
        const auto lastLoad = std::find_if(order.rbegin(), order.rend(),
                                           [&](int i) { return ops[i].kind == QLatin1String("load"); });
        QCOMPARE(controller.archivePath(), ops[*lastLoad].path);
        QCOMPARE(path->text(), ops[*lastLoad].path);
        QCOMPARE(model->rowCount(), ops[*lastLoad].members);
        QCOMPARE(int(controller.entries().size()), ops[*lastLoad].members);
        // Every extraction worked on the archive shown when it started.
        for (const Op &op : ops) {
            if (op.kind == QLatin1String("extract"))
                QCOMPARE(QDir(op.path).entryList(QDir::Files).size(), 3);
        }
    }
};

QTEST_MAIN(OverlappingWorkTest)
#include "OverlappingWorkTest.moc"
