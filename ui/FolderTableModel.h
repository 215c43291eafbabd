#pragma once

#include "engine/FolderIndex.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <memory>
#include <vector>

// One folder of the current archive: its children as rows, folders first,
// each group in the chosen column's order (natural name order by default).
// Entering a folder reads only its own slice of the index.
class FolderTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using Item = FolderIndex::Item;

    explicit FolderTableModel(QObject *parent = nullptr);

    // New members and their index; shows the top folder.
    void setArchive(std::shared_ptr<const std::vector<ArchiveEntry>> entries,
                    std::shared_ptr<const FolderIndex> index);
    const FolderIndex *folderIndex() const { return m_index.get(); }
    const std::vector<ArchiveEntry> &entries() const { return *m_entries; }

    quint32 folder() const { return m_folder; }
    // Shows another folder, in one reset.
    void setFolder(quint32 folder);
    // A column of EntryTableModel; -1: by name.
    void sortBy(int column, Qt::SortOrder order);

    Item itemAt(int row) const { return m_rows[size_t(row)]; }
    // -1 when the item is not shown.
    int rowOf(Item item) const;

    void setIcons(const QIcon &folder, const QIcon &lock);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void arrange();
    void sortFolders(Item *begin, Item *end) const;

    std::shared_ptr<const std::vector<ArchiveEntry>> m_entries;
    std::shared_ptr<const FolderIndex> m_index;
    quint32 m_folder = FolderIndex::kRoot;
    std::vector<Item> m_rows;
    int m_column = -1;
    Qt::SortOrder m_order = Qt::AscendingOrder;
    QIcon m_folderIcon;
    QIcon m_lockIcon;
};
