#pragma once

#include <QObject>
#include <QString>

class QMimeData;
class QWidget;

// Lets a window take items dropped on it from a file manager: a drag that
// carries local files or folders is accepted, and a drop names them all.
class ArchiveDropTarget : public QObject
{
    Q_OBJECT
public:
    // Watches `window` (which it makes accept drops) and lives as its child.
    explicit ArchiveDropTarget(QWidget *window);

    // Every dragged item that exists locally, file or folder.
    static QStringList localItems(const QMimeData *data);

signals:
    void dropped(const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
