#include "ui/ArchiveDropTarget.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

ArchiveDropTarget::ArchiveDropTarget(QWidget *window)
    : QObject(window)
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

QString ArchiveDropTarget::firstFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isFile())
            return info.absoluteFilePath();
    }
    return {};
}

bool ArchiveDropTarget::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDropEvent *>(event);
        // Rows dragged out of this window and let go over it open nothing.
        if (drag->source() || firstFile(drag->mimeData()).isEmpty())
            return QObject::eventFilter(watched, event);
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString path = drop->source() ? QString() : firstFile(drop->mimeData());
        if (path.isEmpty())
            return QObject::eventFilter(watched, event);
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        emit dropped(path);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
