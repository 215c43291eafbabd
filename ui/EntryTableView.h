#pragma once

#include <QTableView>
#include <span>

// The entry table. A double-click anywhere in it, or Return, asks for the
// selected row to be viewed, whichever row (if any) was under the pointer.
// A context menu is asked for at the pointer, or from the keyboard under
// the current row. Dragging selected rows asks for them to be dragged out;
// the drag itself starts later, once there are files to offer, and until
// the button is released the pointer changes nothing in the table.
class EntryTableView : public QTableView
{
    Q_OBJECT
public:
    explicit EntryTableView(QWidget *parent = nullptr);

    // The window's look: 12 px text, fixed medium rows, no grid, rows
    // selected whole, these column widths.
    void applyWindowLook(std::span<const int> widths);

    // The press that asked for a drag is still held, as far as the view knows.
    bool isDragHeld() const { return m_dragHeld; }

signals:
    void doubleClickedAnywhere();
    void returnPressed();
    void menuRequested(const QPoint &globalPosition);
    void dragRequested();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // Typing selects by name, whichever column was clicked last.
    void keyboardSearch(const QString &search) override;

private:
    bool m_dragHeld = false;
};
