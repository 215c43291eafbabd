#include "ui/EntryArranger.h"

#include "ui/EntryFilter.h"
#include "ui/EntryOrder.h"
#include "ui/MemberSelection.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QMetaObject>

struct EntryArranger::Request {
    quint64 generation = 0;
    quint64 listing = 0;
    std::shared_ptr<const std::vector<ArchiveEntry>> entries;
    QByteArray needle;
    int column = -1;
    Qt::SortOrder order = Qt::AscendingOrder;
    std::shared_ptr<const EntryFilter> filter;
    EntryTableModel::Order sorted;
    // The rows shown, when the new needle can only narrow them.
    EntryTableModel::Order narrowFrom;
    bool prepareOnly = false;
};

struct EntryArranger::Result {
    quint64 generation = 0;
    quint64 listing = 0;
    bool complete = false;
    QByteArray needle;
    int column = -1;
    Qt::SortOrder order = Qt::AscendingOrder;
    std::shared_ptr<const EntryFilter> filter;
    EntryTableModel::Order sorted;
    EntryTableModel::Order shown;
};

EntryArranger::EntryArranger(EntryTableModel *model, QAbstractItemView *view, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_view(view)
    , m_handoff(this)
{
    m_pool.setMaxThreadCount(1);
    connect(model, &EntryTableModel::entriesReplaced, this, &EntryArranger::forgetEntries);
}

EntryArranger::~EntryArranger()
{
    // Jobs post back to this object: none may outlive it.
    m_latest.store(++m_generation);
    m_pool.waitForDone();
}

void EntryArranger::setFilterText(const QString &text)
{
    const QByteArray needle = EntryFilter::fold(text);
    if (needle == m_needle)
        return;
    m_needle = needle;
    update();
}

void EntryArranger::sortBy(int column, Qt::SortOrder order)
{
    if (column == m_column && (column < 0 || order == m_order))
        return;
    m_column = column;
    m_order = order;
    update();
}

void EntryArranger::prepareFilter()
{
    if (!m_filter && !m_busy && !m_model->entries().empty())
        start(true);
}

void EntryArranger::forgetEntries()
{
    // The model shows the new members in listing order, unfiltered; the
    // owner clears the search text and the sort indicator to match.
    ++m_listing;
    m_latest.store(++m_generation);
    m_again = false;
    m_filter.reset();
    m_sorted.reset();
    m_sortedColumn = -1;
    m_needle.clear();
    m_column = -1;
    m_shownNeedle.clear();
    m_shownColumn = -1;
}

void EntryArranger::update()
{
    m_latest.store(++m_generation);
    const bool sortKnown = m_column < 0 || (m_sorted && m_sortedColumn == m_column && m_sortedOrder == m_order);
    if (m_needle.isEmpty() && sortKnown) {
        // Nothing to work out: listing order, or the sort kept from before.
        m_again = false;
        show(m_column < 0 ? nullptr : m_sorted);
        return;
    }
    if (m_busy) {
        m_again = true;
        return;
    }
    start();
}

void EntryArranger::start(bool prepareOnly)
{
    m_busy = true;
    m_again = false;
    Request request;
    request.prepareOnly = prepareOnly;
    request.generation = m_generation;
    request.listing = m_listing;
    request.entries = m_model->sharedEntries();
    request.needle = m_needle;
    request.column = m_column;
    request.order = m_order;
    request.filter = m_filter;
    if (m_sortedColumn == m_column && m_sortedOrder == m_order)
        request.sorted = m_sorted;
    // Every path holding the new text also holds the text shown.
    if (!m_shownNeedle.isEmpty() && m_needle.contains(m_shownNeedle) && m_shownColumn == m_column
        && (m_column < 0 || m_shownOrder == m_order))
        request.narrowFrom = m_model->order();

    m_pool.start([this, post = m_handoff.poster(), request = std::move(request)]() mutable {
        const Result result = compute(request, m_latest);
        // The entries are let go here, on the worker: freeing a large list
        // would stall the window.
        request = Request();
        post([this, result] { finished(result); });
    });
}

EntryArranger::Result EntryArranger::compute(const Request &request, const std::atomic<quint64> &latest)
{
    Result result;
    result.generation = request.generation;
    result.listing = request.listing;
    result.needle = request.needle;
    result.column = request.column;
    result.order = request.order;
    result.filter = request.filter;
    result.sorted = request.sorted;
    const auto overtaken = [&] { return latest.load(std::memory_order_relaxed) != request.generation; };
    const std::vector<ArchiveEntry> &entries = *request.entries;

    if (request.prepareOnly) {
        if (!result.filter)
            result.filter = std::make_shared<const EntryFilter>(entries);
        return result;
    }
    if (request.needle.isEmpty()) {
        if (request.column >= 0 && !result.sorted)
            result.sorted = std::make_shared<const std::vector<quint32>>(
                EntryOrder::sorted(entries, request.column, request.order));
        result.shown = result.sorted;
        result.complete = true;
        return result;
    }
    if (!result.filter)
        result.filter = std::make_shared<const EntryFilter>(entries);
    if (overtaken())
        return result;

    std::vector<quint32> shown;
    if (request.narrowFrom) {
        // Already in the order asked for.
        shown = result.filter->narrow(request.needle, *request.narrowFrom, overtaken);
    } else {
        shown = result.filter->find(request.needle, overtaken);
        if (request.column >= 0 && !result.sorted && shown.size() > entries.size() / 4 && !overtaken())
            result.sorted = std::make_shared<const std::vector<quint32>>(
                EntryOrder::sorted(entries, request.column, request.order));
        if (request.column < 0 || overtaken()) {
            // Hits come in listing order.
        } else if (result.sorted) {
            std::vector<bool> hit(entries.size());
            for (quint32 entry : shown)
                hit[entry] = true;
            shown.clear();
            for (quint32 entry : *result.sorted) {
                if (hit[entry])
                    shown.push_back(entry);
            }
        } else {
            // Few hits: sorting only them is quicker than sorting everything.
            shown = EntryOrder::sorted(entries, request.column, request.order, &shown);
        }
    }
    if (overtaken())
        return result;
    result.shown = std::make_shared<const std::vector<quint32>>(std::move(shown));
    result.complete = true;
    return result;
}

void EntryArranger::finished(const Result &result)
{
    m_busy = false;
    if (result.listing == m_listing) {
        if (!m_filter)
            m_filter = result.filter;
        if (result.sorted && result.column == m_column && result.order == m_order) {
            m_sorted = result.sorted;
            m_sortedColumn = result.column;
            m_sortedOrder = result.order;
        }
    }
    if (result.complete && result.generation == m_generation) {
        show(result.shown);
        return;
    }
    if (m_again)
        start();
}

void EntryArranger::show(EntryTableModel::Order order)
{
    QItemSelectionModel *selection = m_view->selectionModel();
    const bool anySelected = selection->hasSelection();
    std::vector<bool> selected;
    if (anySelected)
        selected = MemberSelection::selectedEntries(selection->selection(), *m_model);
    const QModelIndex current = selection->currentIndex();
    const qint64 currentEntry = current.isValid() ? qint64(m_model->entryIndex(current.row())) : -1;

    m_model->setOrder(std::move(order));

    if (anySelected)
        selection->select(MemberSelection::rowsShowing(selected, *m_model),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    int currentRow = -1;
    if (currentEntry >= 0) {
        for (int row = 0; row < m_model->rowCount() && currentRow < 0; ++row) {
            if (m_model->entryIndex(row) == quint32(currentEntry))
                currentRow = row;
        }
    }
    if (currentRow >= 0) {
        selection->setCurrentIndex(m_model->index(currentRow, current.column()), QItemSelectionModel::NoUpdate);
        m_view->scrollTo(selection->currentIndex());
    }

    const bool filterChanged = m_shownNeedle != m_needle;
    m_shownNeedle = m_needle;
    m_shownColumn = m_column;
    m_shownOrder = m_order;
    if (filterChanged)
        emit filtered(m_model->rowCount(), int(m_model->entries().size()));
}
