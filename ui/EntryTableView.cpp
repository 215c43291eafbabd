#include "ui/EntryTableView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

EntryTableView::EntryTableView(QWidget *parent)
    : QTableView(parent)
{
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
