// Linked into a program, ends it once its first window has been painted,
// after printing "painted=<monotonic clock>" for `corvex_bench startup` to
// subtract the launch time from. It hooks in as the application object is
// made, so the program's own main() runs unchanged.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

class PaintWatcher : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (!m_seen && event->type() == QEvent::Paint) {
            m_seen = true;
            // The window's children paint in the same pass; the timer runs
            // once the pass is over.
            QTimer::singleShot(0, [] {
                std::printf("painted=%.6f\n", BenchSupport::now());
                std::fflush(stdout);
                ::_exit(0);
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};

void watchFirstPaint()
{
    qApp->installEventFilter(new PaintWatcher);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchFirstPaint)
