#pragma once

#include "engine/FolderIndex.h"
#include "ui/EntryTableView.h"
#include "ui/FolderHistory.h"
#include "ui/LocationBar.h"
#include "ui/MemberSelection.h"

#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

class FolderTableModel;

// The Folders view: one folder's table, the location bar above it and the
// way between folders (open, up, back, forward, a part of the location).
// Keys on the table: Return opens a folder, Backspace and Alt+Up go up,
// Alt+Left and Alt+Right go back and forward; typing selects by name.
class FolderBrowser : public QObject
{
    Q_OBJECT
public:
    explicit FolderBrowser(QObject *parent = nullptr);
    ~FolderBrowser() override;

    EntryTableView *table() const { return m_table; }
    LocationBar *locationBar() const { return m_locationBar; }
    FolderTableModel *model() const { return m_model; }

    // Shows the top of a newly loaded archive.
    void setArchive(const QString &archiveName, std::shared_ptr<const std::vector<ArchiveEntry>> entries,
                    std::shared_ptr<const FolderIndex> index);

    quint32 folder() const;
    // The folder's path ("docs/2024"), empty at the top.
    QString location() const;

    void open(quint32 folder);
    void up();
    void back();
    void forward();
    // Opens the current row if it is a folder; false for a file or no row.
    bool openCurrent();
    // Opens the folder the member is shown in and selects it there.
    void reveal(quint32 entry);

    // The selected rows as members to extract, placed relative to this folder.
    MemberSelection::Members selectedMembers() const;
    // The file of the current row if selected, else the first selected
    // file; nullptr when no file is selected.
    const ArchiveEntry *selectedFile() const;

signals:
    void locationChanged();

private:
    // Shows a folder without recording a visit; `select` becomes current.
    void show(quint32 folder, FolderIndex::Item select);

    FolderTableModel *m_model;
    // The window's layout takes them; they may go before this object.
    QPointer<EntryTableView> m_table;
    QPointer<LocationBar> m_locationBar;
    FolderHistory m_history;
    QString m_archiveName;
};
