#pragma once

#include "engine/ThreadHandoff.h"
#include "ui/EntryTableModel.h"

#include <QByteArray>
#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <memory>

class EntryFilter;
class QAbstractItemView;

// Decides which rows the entry table shows, and in what order: the filter
// text and the sort column. Orders are worked out on a thread of its own,
// one at a time, and shown in one model reset; a result overtaken by a newer
// request is dropped (and a search in progress gives up). The selection and
// the current row follow their members into the new order.
// Not QSortFilterProxyModel: it sorts and filters on the main thread, row by
// row through the model, which freezes the window for a million members;
// here a keystroke's filter shows in ~8 ms and a sort in ~280 ms with no
// stall over ~16 ms (bench/README.md, "Filter and sort").
class EntryArranger : public QObject
{
    Q_OBJECT
public:
    EntryArranger(EntryTableModel *model, QAbstractItemView *view, QObject *parent = nullptr);
    ~EntryArranger() override;

    // The filter of the rows shown now (not of one still being worked out).
    bool isFiltered() const { return !m_shownNeedle.isEmpty(); }

public slots:
    // Members whose path contains the text, case-insensitively; empty: all.
    void setFilterText(const QString &text);
    // A column of EntryTableModel; -1: listing order.
    void sortBy(int column, Qt::SortOrder order);
    // Readies the search in the background, so that the first keystroke
    // does not wait for it.
    void prepareFilter();

signals:
    // A new filter was applied (or the filter cleared): the rows it left.
    void filtered(int shown, int total);

private:
    struct Request;
    struct Result;

    void forgetEntries();
    void update();
    void start(bool prepareOnly = false);
    void finished(const Result &result);
    void show(EntryTableModel::Order order);
    static Result compute(const Request &request, const std::atomic<quint64> &latest);

    EntryTableModel *m_model;
    QAbstractItemView *m_view;

    // What is asked for.
    QByteArray m_needle;
    int m_column = -1;
    Qt::SortOrder m_order = Qt::AscendingOrder;

    // What is shown: a narrower filter of the same order searches only it.
    QByteArray m_shownNeedle;
    int m_shownColumn = -1;
    Qt::SortOrder m_shownOrder = Qt::AscendingOrder;

    // Kept for the current members; `m_listing` counts replacements.
    quint64 m_listing = 0;
    std::shared_ptr<const EntryFilter> m_filter;
    EntryTableModel::Order m_sorted;
    int m_sortedColumn = -1;
    Qt::SortOrder m_sortedOrder = Qt::AscendingOrder;

    quint64 m_generation = 0;
    std::atomic<quint64> m_latest{0};
    bool m_busy = false;
    bool m_again = false;
    ThreadHandoff m_handoff;
    QThreadPool m_pool;
};
