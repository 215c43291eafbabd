#include "ui/FolderTableModel.h"

#include "ui/EntryOrder.h"
#include "ui/EntryTableModel.h"

#include <QThreadPool>
#include <algorithm>
#include <utility>

FolderTableModel::FolderTableModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_entries(std::make_shared<const std::vector<ArchiveEntry>>())
{
}

void FolderTableModel::setArchive(std::shared_ptr<const std::vector<ArchiveEntry>> entries,
                                  std::shared_ptr<const FolderIndex> index)
{
    beginResetModel();
    auto oldEntries = std::exchange(m_entries, std::move(entries));
    auto oldIndex = std::exchange(m_index, std::move(index));
    m_folder = FolderIndex::kRoot;
    arrange();
    endResetModel();
    // This may hold the last reference to a large listing: it goes on the
    // pool, as the entry table's does, not on the main thread.
    QThreadPool::globalInstance()->start(
        [oldEntries = std::move(oldEntries), oldIndex = std::move(oldIndex)]() mutable {
            oldIndex.reset();
            oldEntries.reset();
        });
}

void FolderTableModel::setFolder(quint32 folder)
{
    if (!m_index || folder >= m_index->folderCount())
        return;
    beginResetModel();
    m_folder = folder;
    arrange();
    endResetModel();
}

void FolderTableModel::sortBy(int column, Qt::SortOrder order)
{
    beginResetModel();
    m_column = column;
    m_order = order;
    arrange();
    endResetModel();
}

void FolderTableModel::arrange()
{
    m_rows.clear();
    if (!m_index)
        return;
    const std::span<const Item> children = m_index->children(m_folder);
    m_rows.assign(children.begin(), children.end());
    const auto folders = m_rows.begin() + m_index->folder(m_folder).folders;
    if (m_column < 0 || (m_column == EntryTableModel::Name && m_order == Qt::AscendingOrder))
        return;   // the index's own order
    if (m_column == EntryTableModel::Name) {
        std::reverse(m_rows.begin(), folders);
        std::reverse(folders, m_rows.end());
        return;
    }
    sortFolders(m_rows.data(), m_rows.data() + (folders - m_rows.begin()));
    const std::vector<quint32> files(folders, m_rows.end());
    const std::vector<quint32> sorted = EntryOrder::sorted(*m_entries, m_column, m_order, &files);
    std::copy(sorted.begin(), sorted.end(), folders);
}

void FolderTableModel::sortFolders(Item *begin, Item *end) const
{
    // By total size or by the time of the folder's record; otherwise by name.
    const auto key = [this](Item item) -> std::pair<quint64, QByteArrayView> {
        const FolderIndex::Folder &f = m_index->folder(FolderIndex::numberOf(item));
        if (m_column == EntryTableModel::Size)
            return {f.size, {}};
        if (m_column == EntryTableModel::Modified && f.entry != FolderIndex::kNoEntry)
            return {0, (*m_entries)[f.entry].modifiedUtf8()};
        return {0, {}};
    };
    const bool ascending = m_order == Qt::AscendingOrder;
    std::stable_sort(begin, end, [&](Item a, Item b) { return ascending ? key(a) < key(b) : key(b) < key(a); });
}

int FolderTableModel::rowOf(Item item) const
{
    const auto found = std::find(m_rows.begin(), m_rows.end(), item);
    return found == m_rows.end() ? -1 : int(found - m_rows.begin());
}

void FolderTableModel::setIcons(const QIcon &folder, const QIcon &lock)
{
    m_folderIcon = folder;
    m_lockIcon = lock;
}

int FolderTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FolderTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : EntryTableModel::ColumnCount;
}

QVariant FolderTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Item item = itemAt(index.row());
    const bool isFolder = FolderIndex::isFolder(item);
    const FolderIndex::Folder *folder = isFolder ? &m_index->folder(FolderIndex::numberOf(item)) : nullptr;
    const ArchiveEntry *entry = isFolder ? nullptr : &(*m_entries)[item];
    if (role == Qt::DecorationRole && index.column() == EntryTableModel::Name) {
        if (isFolder)
            return m_folderIcon;
        return entry->isEncrypted() ? QVariant(m_lockIcon) : QVariant();
    }
    if (role == Qt::ToolTipRole && index.column() == EntryTableModel::Name && entry && entry->isEncrypted())
        return tr("Encrypted");
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case EntryTableModel::Name:
        return QString::fromUtf8(m_index->nameOf(item, *m_entries));
    case EntryTableModel::Size:
        return isFolder ? QString::number(folder->size) : entry->size();
    case EntryTableModel::Packed:
        return isFolder ? QString() : entry->packed();
    case EntryTableModel::Type:
        return isFolder ? tr("Folder, %n item(s)", nullptr, int(folder->end - folder->begin))
                        : EntryTableModel::typeText(*entry);
    case EntryTableModel::Modified:
        if (isFolder)
            return folder->entry == FolderIndex::kNoEntry ? QString() : (*m_entries)[folder->entry].modified();
        return entry->modified();
    default:
        return {};
    }
}

QVariant FolderTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return EntryTableModel::columnTitle(section);
}

Qt::ItemFlags FolderTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}
