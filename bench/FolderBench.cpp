// Entering a folder in the Folders view, through the real controller under
// the offscreen platform:
//
//   corvex_bench_folders <archive> <expected rows>
//
// Loads the archive, opens the parent of its largest folder, then times
// Return on that folder until its rows are painted, nine times (going back
// up between), and prints the median.
#include "engine/ArchiveEngine.h"
#include "BenchSupport.h"
#include "platform/FakeDesktop.h"
#include "ui/CorvexController.h"
#include "ui/EntryTableView.h"
#include "ui/FolderBrowser.h"
#include "ui/FolderTableModel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTableView>

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
        std::fprintf(stderr, "usage: corvex_bench_folders <archive> <expected rows>\n");
        return 2;
    }
    ArchiveEngine engine(QStringLiteral(CORVEX_RESOURCE_DIR));
    FakeDesktop desktop;
    CorvexController controller(engine, desktop, QStringLiteral(CORVEX_RESOURCE_DIR));
    controller.setView(CorvexController::View::Folders);
    controller.window()->show();
    controller.loadArchive(args[1]);
    const double deadline = now() + 600;
    while (controller.entries().size() != size_t(args[2].toInt())) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (now() > deadline || desktop.count(QStringLiteral("error")) > 0) {
            std::fprintf(stderr, "load failed\n");
            return 1;
        }
    }
    FolderBrowser *browser = controller.folderBrowser();
    const FolderIndex *index = browser->model()->folderIndex();
    quint32 largest = FolderIndex::kRoot;
    for (quint32 folder = 1; folder < index->folderCount(); ++folder) {
        if (index->children(folder).size() > index->children(largest).size())
            largest = folder;
    }
    if (largest == FolderIndex::kRoot) {
        std::fprintf(stderr, "no folder\n");
        return 1;
    }
    browser->open(largest);
    EntryTableView *table = browser->table();
    std::vector<double> times;
    for (int run = 0; run < 9; ++run) {
        browser->up();   // the folder left becomes the current row
        QCoreApplication::processEvents();
        table->viewport()->repaint();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        const double start = now();
        QCoreApplication::sendEvent(table, &press);
        table->viewport()->repaint();
        times.push_back((now() - start) * 1000);
        if (browser->folder() != largest) {
            std::fprintf(stderr, "Return did not enter the folder\n");
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("folder_enter_ms=%.2f\nlongest_ms=%.2f\nrows=%d\n", times[times.size() / 2], times.back(),
                browser->model()->rowCount());
    std::fflush(stdout);
    ::_exit(0);
}
