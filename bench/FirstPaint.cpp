#include "FirstPaint.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

namespace {

class PaintWatcher : public QObject
{
public:
    explicit PaintWatcher(QWidget *window) : QObject(window), m_window(window) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->window() == m_window) {
            m_seen = true;
            // Children paint in the same pass; the timer runs after it.
            QTimer::singleShot(0, [] {
                std::printf("painted=%.6f\n", BenchSupport::now());
                std::fflush(stdout);
                ::_exit(0);
            });
        }
        return false;
    }

private:
    QWidget *m_window;
    bool m_seen = false;
};

} // namespace

void exitOnFirstPaint(QWidget *window)
{
    qApp->installEventFilter(new PaintWatcher(window));
}
