#pragma once

#include "engine/ArchiveEntry.h"

#include <QAbstractTableModel>
#include <vector>

// The current archive's members, one row each, in listing order. Cells are
// decoded only when the view asks for them, so a million rows cost nothing
// up front.
class EntryTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Name, Size, Packed, Type, Modified, ColumnCount };

    explicit EntryTableModel(QObject *parent = nullptr);

    const std::vector<ArchiveEntry> &entries() const { return m_entries; }
    // Replaces every row in one reset.
    void setEntries(std::vector<ArchiveEntry> entries);

    // "Folder", the name's extension upper-cased, or "File" without one.
    static QString typeText(const ArchiveEntry &entry);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    std::vector<ArchiveEntry> m_entries;
};
