// Filtering and sorting a loaded archive through the real controller, as
// the window does it, under the offscreen platform:
//
//   corvex_bench_find <archive> <expected rows>
//
// Filter: the search field gets the focus, then a text is typed into it a
// key at a time (100 ms apart, as a quick typist), then three keys are
// taken back and Escape clears it. Each keystroke is timed from the key
// event to the model holding its rows. Sort: the Name header is clicked
// five times (ascending, descending, ...), each timed from the click to the
// model holding the sorted rows. A 1 ms timer fires throughout: the longest
// gap between two firings in each phase (up to 0.3 s after its last
// result, so that the paint counts) is its stall.
#include "engine/ArchiveEngine.h"
#include "BenchSupport.h"
#include "ui/CorvexController.h"
#include "platform/FakeDesktop.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTableView>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

using BenchSupport::now;

namespace {

double maxStall = 0;
double lastTick = 0;

void spin(double seconds)
{
    const double until = now() + seconds;
    while (now() < until)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Runs `act`, then the event loop until the model was reset once more;
// the seconds between, or -1 after 30 s.
double timed(QAbstractItemModel *model, const std::function<void()> &act)
{
    int resets = 0;
    const auto connection = QObject::connect(model, &QAbstractItemModel::modelReset, [&] { ++resets; });
    const double start = now();
    act();
    double end = -1;
    while (now() - start < 30) {
        if (resets > 0) {
            end = now();
            break;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    QObject::disconnect(connection);
    return end < 0 ? -1 : end - start;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void key(QWidget *target, int code, const QString &text = QString())
{
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
}

void click(QWidget *target, const QPoint &at)
{
    const QPointF local(at), global(target->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: corvex_bench_find <archive> <expected rows>\n");
        return 2;
    }
    const int expected = args[2].toInt();

    ArchiveEngine engine(QStringLiteral(CORVEX_RESOURCE_DIR));
    FakeDesktop desktop;
    CorvexController controller(engine, desktop, QStringLiteral(CORVEX_RESOURCE_DIR));
    controller.window()->show();
    auto *table = controller.window()->findChild<QTableView *>(QStringLiteral("entryTable"));
    auto *field = controller.window()->findChild<QLineEdit *>(QStringLiteral("searchField"));
    if (!table || !field) {
        std::fprintf(stderr, "no entry table or search field\n");
        return 1;
    }
    QAbstractItemModel *model = table->model();

    controller.loadArchive(args[1]);
    const double loadStart = now();
    while (model->rowCount() != expected && now() - loadStart < 600 && desktop.calls.isEmpty())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (model->rowCount() != expected) {
        std::fprintf(stderr, "load failed: %d rows\n", model->rowCount());
        return 1;
    }
    spin(0.5);

    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [] {
        const double t = now();
        maxStall = std::max(maxStall, t - lastTick);
        lastTick = t;
    });
    lastTick = now();
    ticker.start();
    auto startPhase = [] {
        lastTick = now();
        maxStall = 0;
    };

    // Filter.
    startPhase();
    field->setFocus(Qt::ShortcutFocusReason);
    spin(0.3);
    std::vector<double> keystrokes;
    std::vector<int> rows;
    const QString typed = QStringLiteral("sub3/file_12");
    for (QChar c : typed) {
        const int code = c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : c.unicode();
        keystrokes.push_back(timed(model, [&] { key(field, code, QString(c)); }));
        rows.push_back(model->rowCount());
        spin(0.1);
    }
    for (int i = 0; i < 3; ++i) {
        keystrokes.push_back(timed(model, [&] { key(field, Qt::Key_Backspace); }));
        rows.push_back(model->rowCount());
        spin(0.1);
    }
    keystrokes.push_back(timed(model, [&] { key(field, Qt::Key_Escape); }));
    rows.push_back(model->rowCount());
    spin(0.3);
    const double filterStall = maxStall;
    if (std::find(keystrokes.begin(), keystrokes.end(), -1.0) != keystrokes.end() || rows.back() != expected) {
        std::fprintf(stderr, "a keystroke showed no result\n");
        return 1;
    }

    // Sort.
    startPhase();
    QHeaderView *header = table->horizontalHeader();
    const QPoint nameSection(header->sectionViewportPosition(0) + header->sectionSize(0) / 2, header->height() / 2);
    std::vector<double> ascending, descending;
    for (int i = 0; i < 5; ++i) {
        const double seconds = timed(model, [&] { click(header->viewport(), nameSection); });
        (i % 2 ? descending : ascending).push_back(seconds);
        spin(0.3);
    }
    const double sortStall = maxStall;
    if (std::find(ascending.begin(), ascending.end(), -1.0) != ascending.end() || header->sortIndicatorSection() != 0) {
        std::fprintf(stderr, "a sort showed no result\n");
        return 1;
    }

    std::printf("filter_ms=%.1f\nfilter_first_ms=%.1f\nfilter_max_ms=%.1f\nfilter_stall_ms=%.1f\n",
                median(keystrokes) * 1000, keystrokes.front() * 1000,
                *std::max_element(keystrokes.begin(), keystrokes.end()) * 1000, filterStall * 1000);
    std::printf("filter_rows=");
    for (int r : rows)
        std::printf("%d ", r);
    std::printf("\nsort_ms=%.1f\nsort_desc_ms=%.1f\nsort_stall_ms=%.1f\nfirst_sorted=%s\n",
                median(ascending) * 1000, median(descending) * 1000, sortStall * 1000,
                qPrintable(model->index(1, 0).data().toString()));
    std::fflush(stdout);
    ::_exit(0);
}
