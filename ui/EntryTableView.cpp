#include "ui/EntryTableView.h"

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
