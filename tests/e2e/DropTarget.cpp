// Stands in for a file manager in the drag-out test: a window at (1010, 100)
// that takes text/uri-list and prints the URIs of each drop.
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

#include <cstdio>

class DropTarget : public QWidget
{
    void dragEnterEvent(QDragEnterEvent *event) override
    {
        if (event->mimeData()->hasFormat(QStringLiteral("text/uri-list")))
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent *event) override
    {
        std::fputs(event->mimeData()->data(QStringLiteral("text/uri-list")).constData(), stdout);
        std::fflush(stdout);
        event->acceptProposedAction();
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    DropTarget target;
    target.setAcceptDrops(true);
    target.setGeometry(1010, 100, 240, 240);
    target.show();
    return app.exec();
}
