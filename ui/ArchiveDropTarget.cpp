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

QStringList ArchiveDropTarget::localItems(const QMimeData *data)
{
    QStringList items;
    for (const QUrl &url : data && data->hasUrls() ? data->urls() : QList<QUrl>()) {
        const QFileInfo info(url.toLocalFile());
        if (url.isLocalFile() && (info.exists() || info.isSymLink()))
            items.append(info.absoluteFilePath());
    }
    return items;
}

bool ArchiveDropTarget::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDropEvent *>(event);
        // Rows dragged out of this window and let go over it open nothing.
        if (drag->source() || localItems(drag->mimeData()).isEmpty())
            return QObject::eventFilter(watched, event);
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList paths = drop->source() ? QStringList() : localItems(drop->mimeData());
        if (paths.isEmpty())
            return QObject::eventFilter(watched, event);
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        emit dropped(paths);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
