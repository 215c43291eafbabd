#pragma once

#include <QTableView>

// The entry table. A double-click anywhere in it, or Return, asks for the
// selected row to be viewed, whichever row (if any) was under the pointer.
// A context menu is asked for at the pointer, or from the keyboard under
// the current row.
class EntryTableView : public QTableView
{
    Q_OBJECT
public:
    explicit EntryTableView(QWidget *parent = nullptr);

signals:
    void doubleClickedAnywhere();
    void returnPressed();
    void menuRequested(const QPoint &globalPosition);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
};
