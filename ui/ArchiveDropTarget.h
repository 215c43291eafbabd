#pragma once

#include <QObject>
#include <QString>

class QMimeData;
class QWidget;

// Lets a window take files dropped on it from a file manager: a drag that
// carries a local file is accepted, and a drop names the first such file.
class ArchiveDropTarget : public QObject
{
    Q_OBJECT
public:
    // Watches `window` (which it makes accept drops) and lives as its child.
    explicit ArchiveDropTarget(QWidget *window);

    // The first dragged item that is an existing local file; empty if none.
    static QString firstFile(const QMimeData *data);

signals:
    void dropped(const QString &path);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
