#pragma once

#include "engine/ArchiveEntry.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <memory>
#include <vector>

// The current archive's members. The rows shown are either every member in
// listing order or a given order of entry indices (sorted, filtered); view
// rows map to entries through entryIndex(). Cells are decoded only when the
// view asks for them, so a million rows cost nothing up front.
class EntryTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Name, Size, Packed, Type, Modified, ColumnCount };
    using Order = std::shared_ptr<const std::vector<quint32>>;

    explicit EntryTableModel(QObject *parent = nullptr);

    // Every member, in listing order, whatever is shown.
    const std::vector<ArchiveEntry> &entries() const { return *m_entries; }
    // The same list, for work on other threads to hold while it runs.
    std::shared_ptr<const std::vector<ArchiveEntry>> sharedEntries() const { return m_entries; }
    // Replaces every member in one reset; all are shown, in listing order.
    void setEntries(std::vector<ArchiveEntry> entries);

    // Shows the given entry indices, in their order (null: all, in listing
    // order), in one reset.
    void setOrder(Order order);
    const Order &order() const { return m_order; }
    quint32 entryIndex(int row) const { return m_order ? (*m_order)[size_t(row)] : quint32(row); }
    // The entry at a view row, or nullptr.
    const ArchiveEntry *entryAt(int row) const;

    // Decorates the name of every encrypted member.
    void setLockIcon(const QIcon &icon) { m_lockIcon = icon; }

    // "Folder", the name's extension upper-cased, or "File" without one.
    static QString typeText(const ArchiveEntry &entry);
    static QString folderTypeText();
    static QString columnTitle(int column);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    // After setEntries: any order made for the previous members is void.
    void entriesReplaced();

private:
    std::shared_ptr<const std::vector<ArchiveEntry>> m_entries;
    Order m_order;
    QIcon m_lockIcon;
};
