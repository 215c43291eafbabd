// Finding and picking members: the search, sorting by a column, the row
// menu with Extract Selected, dragging members out, and items dropped on the
// window.
#include "ui/CorvexController.h"

#include "engine/OperationJob.h"
#include "ui/DragOut.h"
#include "ui/EntryArranger.h"
#include "ui/EntryTableModel.h"
#include "ui/EntryTableView.h"
#include "ui/FolderBrowser.h"
#include "ui/MemberSelection.h"

#include <QClipboard>
#include <QDrag>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMimeData>

void CorvexController::buildFinding()
{
    MainWindow *window = m_window.get();
    m_arranger = new EntryArranger(m_model, window->table(), this);
    connect(window, &MainWindow::searchChanged, m_arranger, &EntryArranger::setFilterText);
    connect(window, &MainWindow::searchFocused, m_arranger, &EntryArranger::prepareFilter);
    connect(m_arranger, &EntryArranger::filtered, this, &CorvexController::showFilterCount);

    connect(window->table()->horizontalHeader(), &QHeaderView::sortIndicatorChanged, m_arranger,
            &EntryArranger::sortBy);
    // New members start unfiltered, in listing order.
    connect(m_model, &EntryTableModel::entriesReplaced, this, [this] {
        m_window->clearSearch();
        m_window->clearSort();
    });

    m_memberMenu = new QMenu(m_window.get());
    m_memberMenu->setObjectName(QStringLiteral("memberMenu"));
    QAction *extractSelected = m_memberMenu->addAction(tr("Extract Selected…"), this, &CorvexController::extractSelected);
    extractSelected->setObjectName(QStringLiteral("extractSelectedAction"));
    m_formatActions.push_back({extractSelected, Capability::Extract});
    m_viewAction = m_memberMenu->addAction(tr("View"), this, &CorvexController::viewSelected);
    m_viewAction->setObjectName(QStringLiteral("viewAction"));
    const std::pair<QString, Action> changes[] = {{tr("Rename"), &CorvexController::renameSelected},
                                                  {tr("Delete"), &CorvexController::deleteSelected},
                                                  {tr("Add Files…"), &CorvexController::addFiles},
                                                  {tr("Add Folder…"), &CorvexController::addFolder}};
    static const char *const changeNames[] = {"renameAction", "deleteAction", "addFilesAction", "addFolderAction"};
    for (size_t i = 0; i < std::size(changes); ++i) {
        QAction *action = m_memberMenu->addAction(changes[i].first, this, changes[i].second);
        action->setObjectName(QLatin1String(changeNames[i]));
        m_formatActions.push_back({action, Capability::Update});
    }
    m_memberMenu->addAction(tr("Copy Path"), this, &CorvexController::copySelectedPaths)
        ->setObjectName(QStringLiteral("copyPathAction"));
    connect(window, &MainWindow::memberMenuRequested, this, &CorvexController::showMemberMenu);
    m_dragOut = std::make_unique<DragOut>();
    connect(window, &MainWindow::dragRequested, this, &CorvexController::dragSelected);
    connect(window, &MainWindow::rowActivated, this, &CorvexController::viewSelected);
    connect(window, &MainWindow::itemsDropped, this, &CorvexController::dropItems);
}

void CorvexController::showFilterCount(int shown, int total)
{
    if (m_archivePath.isEmpty())
        return;
    setStatus(itemsStatus(total, m_arranger->isFiltered() ? shown : -1));
}

MemberSelection::Members CorvexController::selectedMembers() const
{
    if (m_window->folderTableShown())
        return m_window->folders()->selectedMembers();
    const QItemSelectionModel *selection = m_window->table()->selectionModel();
    if (!selection->hasSelection())
        return {};
    return MemberSelection::members(m_model->entries(),
                                    MemberSelection::selectedEntries(selection->selection(), *m_model));
}

void CorvexController::showMemberMenu(const QPoint &globalPosition)
{
    const bool folders = m_window->folderTableShown();
    const ArchiveEntry *entry = selectedEntry();
    if (!m_window->activeTable()->selectionModel()->hasSelection())
        return;
    m_viewAction->setEnabled(entry && !entry->isFolder() && m_format->can.testFlag(Capability::Extract));
    m_showInFolderAction->setVisible(!folders);
    m_memberMenu->popup(globalPosition);
}

MemberSelection::Members CorvexController::takeableMembers()
{
    MemberSelection::Members members;
    if (!m_archivePath.isEmpty())
        members = selectedMembers();
    if (members.isEmpty()) {
        m_desktop.beep();
        return {};
    }
    if (!members.unnamed.isEmpty()) {
        // The tool is told names as UTF-8 text; these would match nothing.
        m_desktop.showAlert(Desktop::AlertStyle::Warning,
                            tr("%n selected item(s) cannot be extracted alone", nullptr, int(members.unnamed.size())),
                            tr("Their names are not valid UTF-8, so Corvex cannot name them to the archive tool: "
                               "%1. Extract the whole archive, or select the folder that holds them.")
                                .arg(members.unnamed.mid(0, 3).join(QStringLiteral(", "))));
        return {};
    }
    return members;
}

void CorvexController::extractSelected()
{
    const QString archive = m_archivePath;
    const MemberSelection::Members members = takeableMembers();
    if (members.isEmpty())
        return;
    const QString folder = chooseDestination();
    if (!folder.isEmpty())
        extractMembers(archive, members, folder);
}

void CorvexController::extractMembers(const QString &archive, const MemberSelection::Members &members,
                                      const QString &folder)
{
    runOperation(extractRequest(archive, members, folder), tr("Extracting selected items…"), [this, folder](const Outcome &) {
        setStatus(tr("Extracted to %1").arg(folder));
        m_desktop.reveal({folder});
    });
}

// A drag needs its files when it starts, and the selection must be extracted
// first. The window is not blocked meanwhile: the drag starts when the
// extraction ends if the press that began it is still held; after a release
// the copies are kept, and dragging the same selection again starts at once.
void CorvexController::dragSelected()
{
    const QString archive = m_archivePath;
    const MemberSelection::Members members = takeableMembers();
    if (members.isEmpty())
        return;
    const QString kept = m_dragOut->kept(archive, members);
    if (!kept.isEmpty()) {
        dragOut(DragOut::urls(kept, members));
        return;
    }
    QString problem;
    const QString folder = m_dragOut->newFolder(problem);
    if (folder.isEmpty()) {
        showError(problem);
        return;
    }
    OperationRequest request = extractRequest(archive, members, folder);
    // The copies are offered where they lie in the archive (DragOut::urls).
    request.base.clear();
    const auto extracted = [this, archive, members, folder](const Outcome &) {
        m_dragOut->keep(archive, members, folder);
        const QList<QUrl> urls = DragOut::urls(folder, members);
        if (m_window->activeTable()->isDragHeld() && (QGuiApplication::mouseButtons() & Qt::LeftButton)) {
            setStatus(tr("Ready"));
            // Not inside this completion: the drag runs an event loop of its own.
            QMetaObject::invokeMethod(this, [this, urls] { dragOut(urls); }, Qt::QueuedConnection);
        } else {
            setStatus(tr("%n item(s) ready: drag them again to drop them", nullptr, int(urls.size())));
        }
    };
    runOperation(request, tr("Extracting for the drag…"), extracted);
}

void CorvexController::dragOut(const QList<QUrl> &urls)
{
    if (urls.isEmpty())
        return;
    auto *drag = new QDrag(m_window->activeTable());
    auto *data = new QMimeData;
    data->setUrls(urls);
    drag->setMimeData(data);
    // Copies only: a target that moved the files would empty the kept folder.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void CorvexController::copySelectedPaths()
{
    if (m_window->folderTableShown()) {
        const MemberSelection::Members members = m_window->folders()->selectedMembers();
        QGuiApplication::clipboard()->setText((members.paths + members.unnamed).join(QLatin1Char('\n')));
        return;
    }
    const QItemSelectionModel *selection = m_window->table()->selectionModel();
    if (!selection->hasSelection())
        return;
    // In the order shown, not expanded: what the user sees selected.
    const std::vector<bool> selected = MemberSelection::selectedEntries(selection->selection(), *m_model);
    QStringList paths;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (selected[m_model->entryIndex(row)])
            paths.append(m_model->entryAt(row)->path());
    }
    QGuiApplication::clipboard()->setText(paths.join(QLatin1Char('\n')));
}
