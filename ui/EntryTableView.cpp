#include "ui/EntryTableView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <utility>

EntryTableView::EntryTableView(QWidget *parent)
    : QTableView(parent)
{
    // With dragging on, a press on a selected row keeps the selection.
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
}

void EntryTableView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The view first settles the selection (a double-click on empty space
    // clears it), then the action reads it.
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit doubleClickedAnywhere();
}

void EntryTableView::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        emit returnPressed();
        return;
    }
    QTableView::keyPressEvent(event);
}

void EntryTableView::contextMenuEvent(QContextMenuEvent *event)
{
    if (event->reason() != QContextMenuEvent::Keyboard) {
        emit menuRequested(event->globalPos());
        return;
    }
    QRect row = visualRect(currentIndex());
    if (!currentIndex().isValid() || !viewport()->rect().intersects(row))
        row = QRect(viewport()->rect().topLeft(), QSize(1, 1));
    emit menuRequested(viewport()->mapToGlobal(row.bottomLeft()));
}

void EntryTableView::startDrag(Qt::DropActions)
{
    m_dragHeld = true;
    emit dragRequested();
}

void EntryTableView::mousePressEvent(QMouseEvent *event)
{
    m_dragHeld = false;
    QTableView::mousePressEvent(event);
}

void EntryTableView::mouseMoveEvent(QMouseEvent *event)
{
    // The view would go on selecting rows under the pointer.
    if (m_dragHeld && event->buttons() != Qt::NoButton)
        return;
    QTableView::mouseMoveEvent(event);
}

void EntryTableView::mouseReleaseEvent(QMouseEvent *event)
{
    // The view would select the row under the pointer alone.
    if (std::exchange(m_dragHeld, false))
        return;
    QTableView::mouseReleaseEvent(event);
}
