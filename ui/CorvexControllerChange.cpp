// Changing the open archive: Add Files…, Add Folder… and items dropped on
// the window, Delete and Rename. Each is one operation (ArchiveEngineChange.cpp);
// once it is done the archive is read again.
#include "ui/CorvexController.h"

#include "engine/ChangeRules.h"
#include "ui/EntryTableModel.h"
#include "ui/FolderBrowser.h"

#include <QFileInfo>
#include <QMap>
#include <QSet>

void CorvexController::buildChanges()
{
    m_edited = new EditedMembers(this);
    connect(m_edited, &EditedMembers::edited, this, &CorvexController::offerEdited);
    connect(m_window.get(), &MainWindow::nameEdited, this, &CorvexController::renameMember);
}

bool CorvexController::changeable()
{
    if (m_archivePath.isEmpty() || !m_format->can.testFlag(Capability::Update)) {
        m_desktop.beep();
        return false;
    }
    return true;
}

void CorvexController::runChange(const OperationRequest &request, const QString &status)
{
    const QString archive = request.archive;
    runOperation(request, status, [this, archive](const Outcome &) {
        if (archive == m_archivePath)
            startLoading(archive, m_archivePassword, m_codePage);
    });
}

void CorvexController::addFiles()
{
    if (!changeable())
        return;
    const QStringList items = m_desktop.chooseFiles(
        {.title = tr("Add files to “%1”").arg(QFileInfo(m_archivePath).fileName()), .prompt = tr("Add"), .multiple = true});
    if (!items.isEmpty())
        addItems(items);
}

void CorvexController::addFolder()
{
    if (!changeable())
        return;
    const QStringList items
        = m_desktop.chooseFiles({.title = tr("Add a folder to “%1”").arg(QFileInfo(m_archivePath).fileName()),
                                 .prompt = tr("Add"), .files = false, .folders = true});
    if (!items.isEmpty())
        addItems(items);
}

void CorvexController::addItems(const QStringList &items)
{
    if (!changeable())
        return;
    OperationRequest request = requestFor(OperationKind::Add, m_archivePath);
    request.inputs = items;
    // Into the folder shown; the list of all files has no such place.
    if (m_view == View::Folders)
        request.base = m_window->folders()->location();
    runChange(request, tr("Adding…"));
}

void CorvexController::dropItems(const QStringList &items)
{
    if (!m_archivePath.isEmpty() && m_format->can.testFlag(Capability::Update)) {
        addItems(items);
        return;
    }
    for (const QString &item : items) {
        if (QFileInfo(item).isFile()) {
            loadArchive(item);
            return;
        }
    }
}

void CorvexController::deleteSelected()
{
    if (!changeable())
        return;
    const MemberSelection::Members members = takeableMembers();
    if (members.isEmpty())
        return;
    QStringList paths = members.paths;
    // Everything selected: everything at the top goes.
    if (members.all) {
        QSet<QString> tops;
        for (const ArchiveEntry &entry : m_model->entries())
            tops.insert(entry.path().section(QLatin1Char('/'), 0, 0));
        paths = QStringList(tops.cbegin(), tops.cend());
        paths.sort();
    }
    const QString archive = QFileInfo(m_archivePath).fileName();
    const QString question = paths.size() == 1
        ? tr("Delete “%1” from “%2”?").arg(paths.first().section(QLatin1Char('/'), -1), archive)
        : tr("Delete %n items from “%1”?", nullptr, int(paths.size())).arg(archive);
    if (!m_desktop.confirm(question, tr("A folder goes with everything in it. This cannot be undone."), tr("Delete")))
        return;
    OperationRequest request = requestFor(OperationKind::Delete, m_archivePath);
    request.members = paths;
    runChange(request, tr("Deleting…"));
}

void CorvexController::renameSelected()
{
    if (!changeable())
        return;
    const MemberSelection::Members members = selectedMembers();
    if (members.paths.size() != 1 || !m_window->editName(members.paths.first())) {
        m_desktop.beep();
        return;
    }
    m_renaming = m_archivePath;
}

void CorvexController::renameMember(const QString &member, const QString &name)
{
    if (m_renaming != m_archivePath)
        return;
    QSet<QString> paths;
    for (const ArchiveEntry &entry : m_model->entries())
        paths.insert(entry.path());
    if (const QString problem = ChangeRules::renameProblem(paths, member, name); !problem.isEmpty()) {
        m_desktop.showAlert(Desktop::AlertStyle::Warning, problem, QString());
        return;
    }
    OperationRequest request = requestFor(OperationKind::Rename, m_archivePath);
    request.members = {member};
    request.newName = name;
    runChange(request, tr("Renaming…"));
}

void CorvexController::offerEdited(const std::vector<EditedMembers::Copy> &copies)
{
    if (m_archivePath.isEmpty())
        return;
    const QString archive = QFileInfo(m_archivePath).fileName();
    const QString question = copies.size() == 1
        ? tr("“%1” was changed. Update it in “%2”?").arg(QFileInfo(copies.front().file).fileName(), archive)
        : tr("%n items were changed. Update them in “%1”?", nullptr, int(copies.size())).arg(archive);
    if (!m_desktop.confirm(question, tr("The copy opened with View was saved."), tr("Update"), tr("Not Now")))
        return;
    // One change per folder the copies go back into.
    QMap<QString, QStringList> byFolder;
    for (const EditedMembers::Copy &copy : copies)
        byFolder[copy.member.section(QLatin1Char('/'), 0, -2)].append(copy.file);
    for (auto it = byFolder.cbegin(); it != byFolder.cend(); ++it) {
        OperationRequest request = requestFor(OperationKind::Add, m_archivePath);
        request.inputs = it.value();
        request.base = it.key();
        request.replace = true;
        runChange(request, tr("Updating…"));
    }
}
