#include "ui/EntryTableModel.h"

#include "engine/FileNames.h"

#include <QThreadPool>
#include <memory>
#include <utility>

namespace {

// Freeing a listing this large takes long enough to be felt on the main thread.
constexpr size_t kFreeInBackgroundFrom = 100000;

} // namespace

EntryTableModel::EntryTableModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_entries(std::make_shared<const std::vector<ArchiveEntry>>())
{
}

void EntryTableModel::setEntries(std::vector<ArchiveEntry> entries)
{
    beginResetModel();
    auto old = std::exchange(m_entries, std::make_shared<const std::vector<ArchiveEntry>>(std::move(entries)));
    m_order.reset();
    endResetModel();
    emit entriesReplaced();

    // Work on other threads may still hold the old list; whoever lets go
    // last frees it, and here that is never the main thread.
    if (old->size() >= kFreeInBackgroundFrom)
        QThreadPool::globalInstance()->start([old = std::move(old)]() mutable { old.reset(); });
}

void EntryTableModel::setOrder(Order order)
{
    beginResetModel();
    m_order = std::move(order);
    endResetModel();
}

const ArchiveEntry *EntryTableModel::entryAt(int row) const
{
    return row >= 0 && row < rowCount() ? &(*m_entries)[entryIndex(row)] : nullptr;
}

QString EntryTableModel::typeText(const ArchiveEntry &entry)
{
    if (entry.isFolder())
        return folderTypeText();
    const QString path = entry.path();
    const QStringView extension = FileNames::lastExtension(QStringView(path));
    return extension.isEmpty() ? tr("File") : extension.toString().toUpper();
}

QString EntryTableModel::folderTypeText()
{
    return tr("Folder");
}

int EntryTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_order ? m_order->size() : m_entries->size());
}

int EntryTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant EntryTableModel::data(const QModelIndex &index, int role) const
{
    if ((role == Qt::DecorationRole || role == Qt::ToolTipRole) && index.column() == Name) {
        const ArchiveEntry *entry = entryAt(index.row());
        if (!entry || !entry->isEncrypted())
            return {};
        return role == Qt::DecorationRole ? QVariant(m_lockIcon) : QVariant(tr("Encrypted"));
    }
    const ArchiveEntry *shown = role == Qt::DisplayRole && index.isValid() ? entryAt(index.row()) : nullptr;
    if (!shown)
        return {};
    const ArchiveEntry &entry = *shown;
    switch (index.column()) {
    case Name:
        return entry.path();
    case Size:
        return entry.size();
    case Packed:
        return entry.packed();
    case Type:
        return typeText(entry);
    case Modified:
        return entry.modified();
    default:
        return QString();
    }
}

QVariant EntryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return columnTitle(section);
}

QString EntryTableModel::columnTitle(int column)
{
    switch (column) {
    case Name:
        return tr("Name");
    case Size:
        return tr("Size");
    case Packed:
        return tr("Packed");
    case Type:
        return tr("Type");
    case Modified:
        return tr("Modified");
    default:
        return QString();
    }
}

Qt::ItemFlags EntryTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}
