// Loading through the real controller, as the window does it, under the
// offscreen platform:
//
//   corvex_bench_load <archive> <expected rows>
//
// Prints the time from loadArchive to the table model holding every row, the
// longest the event loop went without running (a 1 ms timer fires
// throughout; a 0 ms one would take a core from the load it measures), and
// the process's peak resident memory.
#include "engine/ArchiveEngine.h"
#include "BenchSupport.h"
#include "ui/CorvexController.h"
#include "platform/FakeDesktop.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QTableView>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

using BenchSupport::now;

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: corvex_bench_load <archive> <expected rows>\n");
        return 2;
    }
    const QString archive = args[1];
    const int expected = args[2].toInt();

    ArchiveEngine engine(QStringLiteral(CORVEX_RESOURCE_DIR));
    FakeDesktop desktop;
    CorvexController controller(engine, desktop, QStringLiteral(CORVEX_RESOURCE_DIR));
    controller.window()->show();
    auto *table = controller.window()->findChild<QTableView *>(QStringLiteral("entryTable"));
    if (!table || !table->model()) {
        std::fprintf(stderr, "no entry table\n");
        return 1;
    }
    QAbstractItemModel *model = table->model();
    // Let the empty window settle before the clock starts.
    const double settle = now() + 0.3;
    while (now() < settle)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    double start = 0;
    double loaded = 0;
    double lastTick = 0;
    double maxStall = 0;
    double stallAt = 0;
    auto check = [&] {
        if (loaded == 0 && model->rowCount() == expected)
            loaded = now();
    };
    double resetStart = 0;
    double resetSeconds = 0;
    QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, [&] { resetStart = now(); });
    QObject::connect(model, &QAbstractItemModel::modelReset, [&] { resetSeconds = now() - resetStart; });
    QObject::connect(model, &QAbstractItemModel::modelReset, check);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, check);

    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double t = now();
        if (t - lastTick > maxStall) {
            maxStall = t - lastTick;
            stallAt = lastTick - start;
        }
        lastTick = t;
        check();
        // Past the load, the view's first layout and paint of the rows still
        // count as part of it.
        if (loaded > 0 && t - loaded > 0.5)
            application.quit();
        if (desktop.count(QStringLiteral("error")) > 0 || t - start > 600)
            application.exit(1);
    });

    start = now();
    lastTick = start;
    ticker.start();
    controller.loadArchive(archive);
    const int status = application.exec();
    if (status != 0 || loaded == 0) {
        std::fprintf(stderr, "load failed: %s\n",
                     desktop.calls.isEmpty() ? "timeout" : qPrintable(desktop.calls.first().values.join(u' ')));
        return 1;
    }
    std::printf("seconds=%.4f\nmax_stall_ms=%.1f\nstall_at=%.3f\nreset_ms=%.1f\nrows=%d\npeak_rss=%lld\n",
                loaded - start, maxStall * 1000, stallAt, resetSeconds * 1000, model->rowCount(),
                qlonglong(BenchSupport::peakRss()));
    std::fflush(stdout);
    // Tearing down a million rows is not part of the measurement.
    ::_exit(0);
}
