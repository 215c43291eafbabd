#include "ui/EntryTableView.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include <utility>

namespace {
constexpr int kMinimumColumnWidth = 70;
// A medium row: room for the 12 px text with air above and below.
constexpr int kRowHeight = 24;
}

EntryTableView::EntryTableView(QWidget *parent)
    : QTableView(parent)
{
    // With dragging on, a press on a selected row keeps the selection.
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
}

void EntryTableView::applyWindowLook(std::span<const int> widths)
{
    QFont windowFont = font();
    windowFont.setPixelSize(12);
    setFont(windowFont);
    setTextElideMode(Qt::ElideMiddle);
    setWordWrap(false);
    setShowGrid(false);
    setAlternatingRowColors(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setFrameShape(QFrame::StyledPanel);

    // Fixed heights let the view place a million rows without asking each.
    QHeaderView *rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(kRowHeight);

    QHeaderView *columns = horizontalHeader();
    // A click sorts by the column; no order chosen first.
    columns->setSectionsClickable(true);
    columns->setSortIndicatorShown(true);
    columns->setSortIndicator(-1, Qt::AscendingOrder);
    columns->setHighlightSections(false);
    columns->setStretchLastSection(true);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setMinimumSectionSize(kMinimumColumnWidth);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < int(widths.size()); ++column)
        columns->resizeSection(column, widths[column]);

}

void EntryTableView::keyboardSearch(const QString &search)
{
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.column() != 0)
        selectionModel()->setCurrentIndex(current.siblingAtColumn(0), QItemSelectionModel::NoUpdate);
    QTableView::keyboardSearch(search);
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
