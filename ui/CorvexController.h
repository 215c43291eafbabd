#pragma once

#include "engine/ArchiveEngine.h"
#include "engine/ArchiveEntry.h"
#include "engine/ArchiveFormats.h"
#include "engine/Operation.h"
#include "platform/Desktop.h"
#include "ui/EditedMembers.h"
#include "ui/MainWindow.h"
#include "ui/MemberSelection.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class DragOut;
class EditedMembers;
class EntryArranger;
class EntryTableModel;
class JobRunner;
class OperationJob;
class FolderBrowser;
class QAction;
class QMenu;

// The main window's controller: keeps the current archive and its members,
// owns the actions and carries them out. The MainWindow it makes is reached
// through its setters and signals, and its views for models and selections.
// Everything it owns lives on the main thread; archive work runs on the
// global thread pool and reports back there. Alerts, file dialogs, the beep
// and the file manager are reached only through the Desktop it is given.
class CorvexController : public QObject
{
    Q_OBJECT
public:
    // The engine and the desktop must outlive the controller. The resource
    // folder (for the header image and the file-manager actions script) defaults
    // to the application's own.
    CorvexController(ArchiveEngine &engine, Desktop &desktop, QObject *parent = nullptr);
    CorvexController(ArchiveEngine &engine, Desktop &desktop, const QString &resourceFolder,
                     QObject *parent = nullptr);
    ~CorvexController() override;

    // Built, not yet shown.
    MainWindow *window() const { return m_window.get(); }

    // Lists the archive in the background; on success it becomes current.
    void loadArchive(const QString &path);

    // The current archive's absolute path; empty until a load succeeded.
    QString archivePath() const { return m_archivePath; }
    const std::vector<ArchiveEntry> &entries() const;

    // Stops every operation the window started; each ends quietly.
    void cancelWork();

    // What Extract Selected and a drag take: the selected members, each
    // once, in listing order, a selected folder standing for everything
    // under it.
    MemberSelection::Members selectedMembers() const;

    // "All Files" lists every member; "Folders" shows one folder at a time.
    // The choice is kept for the next start.
    using View = MainWindow::View;
    View view() const { return m_view; }
    void setView(View view);
    FolderBrowser *folderBrowser() const { return m_window->folders(); }

public slots:
    void openArchive();
    void extractArchive();
    void testArchive();
    void createZip();
    // Compress…: files and folders into an archive the Compress dialog describes.
    void compress();
    void viewSelected();
    void extractSelected();
    // Extracts the selection into a private folder, then drags the copies
    // out if the mouse button is still down (see dragSelected's comment).
    void dragSelected();
    void copySelectedPaths();
    // Opens the Folders view where the selected member is, selecting it.
    void showInFolder();
    void installFileManagerActions();
    // The code pages an old ZIP's names may be in; a choice reads it again.
    void chooseEncoding();
    void openHome();
    void openDownloads();
    void openDocuments();
    void openDesktop();
    // CorvexControllerChange.cpp: the open archive changed.
    void addFiles();
    void addFolder();
    // Into the folder the Folders view shows, else at the top.
    void addItems(const QStringList &items);
    // Items dropped on the window: added to an archive that can change, else the first file opens.
    void dropItems(const QStringList &items);
    // After a question naming what goes.
    void deleteSelected();
    // Edits the selected member's name in place.
    void renameSelected();

private:
    using Action = void (CorvexController::*)();
    // What each of the window's commands does.
    struct CommandEntry {
        MainWindow::Command command;
        Action action;
        // What the current archive's format must allow for its button; nothing: always.
        std::optional<Capability> needs = std::nullopt;
    };
    static std::span<const CommandEntry> commands();
    void perform(MainWindow::Command command);
    // Menu items enabled only where the current archive's format allows.
    struct FormatAction {
        QAction *action = nullptr;
        Capability needs;
    };
    void enableFor(const ArchiveFormat &format);
    // An archive is open and its format can change; else a beep.
    bool changeable();
    // The edited members and the name edit's end.
    void buildChanges();
    // Runs the change, then reads the archive again.
    void runChange(const OperationRequest &request, const QString &status);
    void renameMember(const QString &member, const QString &name);
    // The archive the name edit began in: ended after another became current, it changes nothing.
    QString m_renaming;
    // View's copies saved by an editor: offered back to the archive they came from.
    void offerEdited(const std::vector<EditedMembers::Copy> &copies);
    EditedMembers *m_edited = nullptr;

    // The window's commands, cancel and close.
    void connectWindow();
    // The search, sorting, the row menu, activation, dragging and dropping.
    void buildFinding();
    void showMemberMenu(const QPoint &globalPosition);
    // The view switch, the Folders view's status and Show in Folder.
    void buildFolders();
    // A search shows its hits as a list in either view.
    void showViewPages();
    QString itemsStatus(int total, int shown = -1) const;
    void showFilterCount(int shown, int total);
    // The selection, or nothing after saying why it cannot be taken.
    MemberSelection::Members takeableMembers();
    void extractMembers(const QString &archive, const MemberSelection::Members &members, const QString &folder);
    void dragOut(const QList<QUrl> &urls);

    // `password`, when known (a ZIP just made), is kept like one the user typed.
    // `codePage` is the user's choice for the names of an old ZIP, 0 to detect.
    void startLoading(const QString &path, const QString &password, int codePage = 0);
    // One archive after another; the last one made opens.
    void runCreations(std::vector<OperationRequest> requests);
    void setStatus(const QString &text);
    void showError(const QString &description);
    // Runs one operation with the status line's progress and Cancel. `status`
    // shows while it runs; a cancel puts back the status it replaced, a
    // failure shows an alert, and `succeeded` gets every other outcome.
    std::shared_ptr<OperationJob> runOperation(const OperationRequest &request, const QString &status,
                                               std::function<void(Outcome)> succeeded);
    void operationFinished(const std::shared_ptr<OperationJob> &job, const QString &statusBefore,
                           const OperationRequest &request, Outcome outcome,
                           const std::function<void(Outcome)> &succeeded);
    Answer answer(const Question &question);
    // An operation on `archive`, with the password that worked for it while
    // it is the current archive.
    OperationRequest requestFor(OperationKind kind, const QString &archive) const;
    // Extracting `members` of `archive` into `folder`, placed relative to the
    // folder they were chosen in.
    OperationRequest extractRequest(const QString &archive, const MemberSelection::Members &members,
                                    const QString &folder) const;
    // The folder an extraction goes to, asked like Extract does; empty when cancelled.
    QString chooseDestination();
    // Opens a standard folder in the file manager, when it exists.
    void revealFolder(const QString &folder);
    // The current row's entry if it is selected, else the first selected
    // row's; nullptr without a selection.
    const ArchiveEntry *selectedEntry() const;

    ArchiveEngine &m_engine;
    Desktop &m_desktop;
    QString m_resourceFolder;
    std::unique_ptr<MainWindow> m_window;
    EntryTableModel *m_model = nullptr;
    EntryArranger *m_arranger = nullptr;
    QMenu *m_memberMenu = nullptr;
    QAction *m_viewAction = nullptr;
    QAction *m_showInFolderAction = nullptr;   // for the folder table only
    std::vector<FormatAction> m_formatActions;
    // The current archive's row of the format table.
    const ArchiveFormat *m_format = &ArchiveFormats::other();
    View m_view = View::AllFiles;
    QString m_archivePath;
    // What the screen found in the current archive's listing, which spares
    // its extraction a second listing while the file stays the same.
    std::optional<Screening> m_screening;
    // The password that last worked for the current archive: in memory only,
    // and gone when another archive becomes current or the window closes.
    QString m_archivePassword;
    // The code page the user chose for the current archive's names; 0 detects.
    int m_codePage = 0;
    // View's copies: removed when the window closes, another archive becomes current, or the controller goes.
    QStringList m_previewFolders;
    void removePreviews();
    // Destroyed after the jobs (below): they may still be writing into its folders.
    std::unique_ptr<DragOut> m_dragOut;
    // The running operations; the newest load is also kept apart, so that
    // opening another archive stops it.
    std::vector<std::shared_ptr<OperationJob>> m_running;
    std::shared_ptr<OperationJob> m_loading;
    // The operation whose status text shows now.
    std::shared_ptr<OperationJob> m_statusOwner;
    // Last, so that it is the first member to go: it cancels its jobs, and
    // no completion is posted to a controller that is being torn down.
    std::unique_ptr<JobRunner> m_jobs;
};
