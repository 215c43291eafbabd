// The window's actions: loading, the open dialog and quick-access folders,
// the four archive actions and the file-manager actions installer. Archive work
// runs on the pool and reports back through exactly one completion; a failed
// precondition only beeps, and a cancelled dialog ends the action silently.
#include "ui/CorvexController.h"

#include "ui/EntryTableModel.h"
#include "ui/EntryTableView.h"
#include "ui/FolderBrowser.h"
#include "platform/FileManagerActionsInstaller.h"
#include "engine/FailureReport.h"
#include "engine/JobRunner.h"
#include "engine/OperationJob.h"
#include "engine/ToolPassword.h"

#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QStandardPaths>
#include <memory>

void CorvexController::setStatus(const QString &text)
{
    m_window->setStatus(text);
}

void CorvexController::showError(const QString &description)
{
    m_desktop.showError(description);
}

std::shared_ptr<OperationJob> CorvexController::runOperation(const OperationRequest &request, const QString &status,
                                                             std::function<void(Outcome)> succeeded)
{
    const QString statusBefore = m_window->status();
    setStatus(status);
    auto handle = std::make_shared<std::shared_ptr<OperationJob>>();
    JobRunner::Callbacks callbacks;
    callbacks.progress = [this](const OperationProgress &progress) { m_window->showProgress(progress); };
    callbacks.question = [this](const Question &question) { return answer(question); };
    callbacks.finished = [this, handle, statusBefore, request, succeeded](Outcome outcome) {
        operationFinished(*handle, statusBefore, request, std::move(outcome), succeeded);
    };
    *handle = m_jobs->start(m_engine, request, std::move(callbacks));
    m_running.push_back(*handle);
    m_statusOwner = *handle;
    m_window->startActivity();
    return *handle;
}

void CorvexController::operationFinished(const std::shared_ptr<OperationJob> &job, const QString &statusBefore,
                                         const OperationRequest &request, Outcome outcome,
                                         const std::function<void(Outcome)> &succeeded)
{
    std::erase(m_running, job);
    if (m_running.empty())
        m_window->finishActivity();
    const bool ownsStatus = m_statusOwner == job;
    if (ownsStatus)
        m_statusOwner.reset();

    switch (outcome.kind) {
    case Outcome::Kind::Succeeded:
        // Unless another archive has become current since.
        if (request.kind != OperationKind::Create && request.kind != OperationKind::List
            && request.archive == m_archivePath && !outcome.password.isEmpty())
            m_archivePassword = outcome.password;
        // What was done differently from what was asked.
        if (!outcome.description.isEmpty())
            m_desktop.showAlert(Desktop::AlertStyle::Informational, outcome.description, QString());
        succeeded(std::move(outcome));
        return;
    case Outcome::Kind::Cancelled:
        // As if it had never started, unless later work has said more since.
        if (ownsStatus)
            setStatus(statusBefore);
        return;
    case Outcome::Kind::Refused:
    case Outcome::Kind::Failed:
        break;
    }
    if (request.kind == OperationKind::List && ownsStatus)
        setStatus(tr("Ready"));
    m_desktop.showFailure(FailureReport::from(request, outcome));
}

Answer CorvexController::answer(const Question &question)
{
    return m_desktop.answer(question);
}

OperationRequest CorvexController::requestFor(OperationKind kind, const QString &archive) const
{
    OperationRequest request;
    request.kind = kind;
    request.archive = archive;
    if (archive == m_archivePath) {
        request.password = m_archivePassword;
        request.screening = m_screening;
        request.codePage = m_codePage;
    }
    return request;
}

OperationRequest CorvexController::extractRequest(const QString &archive, const MemberSelection::Members &members,
                                                  const QString &folder) const
{
    OperationRequest request = requestFor(OperationKind::Extract, archive);
    request.destination = folder;
    // The whole archive is named by naming nothing.
    if (!members.all) {
        request.members = members.paths;
        request.base = members.base;
    }
    return request;
}

void CorvexController::cancelWork()
{
    for (const auto &job : m_running)
        job->cancel();
}

void CorvexController::loadArchive(const QString &path)
{
    // A code page chosen holds while that archive stays open.
    startLoading(path, QString(), path == m_archivePath ? m_codePage : 0);
}

void CorvexController::startLoading(const QString &path, const QString &password, int codePage)
{
    // The archive the user chose last wins over one still being read.
    if (m_loading)
        m_loading->cancel();
    OperationRequest request;
    request.archive = path;
    request.password = password;
    request.codePage = codePage;
    // An archive whose names are encrypted asks here; a cancel leaves the
    // current archive as it was.
    m_loading = runOperation(request, tr("Reading archive…"), [this, path, codePage](Outcome outcome) {
        m_loading.reset();
        if (path != m_archivePath)
            removePreviews();
        const auto count = outcome.entries.size();
        m_archivePath = path;
        m_codePage = codePage;
        m_screening = std::move(outcome.screening);
        m_window->setNames(m_screening ? m_screening->names : NameRecovery());
        m_archivePassword = outcome.password;
        enableFor(outcome.format ? *outcome.format : ArchiveFormats::other());
        m_model->setEntries(std::move(outcome.entries));
        m_window->folders()->setArchive(QFileInfo(path).fileName(), m_model->sharedEntries(),
                                        std::move(outcome.folders));
        m_window->setPath(path);
        showViewPages();
        setStatus(itemsStatus(int(count)));
    });
}

void CorvexController::openArchive()
{
    const QString archive = m_desktop.chooseFiles({.title = tr("Open an archive")}).value(0);
    if (!archive.isEmpty())
        loadArchive(archive);
}

QString CorvexController::chooseDestination()
{
    return m_desktop.chooseFiles({.prompt = tr("Extract"), .files = false, .folders = true, .canCreateFolders = true})
        .value(0);
}

void CorvexController::revealFolder(const QString &folder)
{
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        m_desktop.open(folder);
}

void CorvexController::openHome()
{
    revealFolder(QDir::homePath());
}

void CorvexController::openDownloads()
{
    revealFolder(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
}

void CorvexController::openDocuments()
{
    revealFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

void CorvexController::openDesktop()
{
    revealFolder(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
}

void CorvexController::extractArchive()
{
    const QString archive = m_archivePath;
    if (archive.isEmpty()) {
        m_desktop.beep();
        return;
    }
    const QString folder = chooseDestination();
    if (folder.isEmpty())
        return;

    MemberSelection::Members whole;
    whole.all = true;
    runOperation(extractRequest(archive, whole, folder), tr("Extracting…"), [this, folder](const Outcome &) {
        setStatus(tr("Extracted to %1").arg(folder));
        m_desktop.reveal({folder});
    });
}

void CorvexController::testArchive()
{
    const QString archive = m_archivePath;
    if (archive.isEmpty()) {
        m_desktop.beep();
        return;
    }
    runOperation(requestFor(OperationKind::Test, archive), tr("Testing…"), [this, archive](const Outcome &) {
        setStatus(tr("Archive test passed"));
        m_desktop.showAlert(Desktop::AlertStyle::Informational, tr("Archive test passed"),
                            QFileInfo(archive).fileName());
    });
}

void CorvexController::createZip()
{
    const QStringList inputs
        = m_desktop.chooseFiles({.title = tr("Choose files and folders"), .folders = true, .multiple = true});
    if (inputs.isEmpty())
        return;

    const std::optional<QString> chosen
        = m_desktop.chooseSaveFile({.suggestedName = tr("Archive.zip"), .suffix = QStringLiteral("zip")});
    if (!chosen || chosen->isEmpty())
        return;
    const QString zip = *chosen;
    // Optional; empty makes a plain ZIP, Cancel makes none.
    const std::optional<QString> password
        = m_desktop.askNewPassword(Desktop::NewPasswordPrompt{zip, &ToolPassword::newZipProblem});
    if (!password)
        return;

    // The save dialog has had the user agree to replace an existing file:
    // the new ZIP replaces it whole once complete, never merged into it.
    OperationRequest request;
    request.kind = OperationKind::Create;
    request.archive = zip;
    request.inputs = inputs;
    request.password = *password;
    runOperation(request, tr("Creating ZIP…"),
                 [this, zip, password = *password](const Outcome &) { startLoading(zip, password); });
}

const ArchiveEntry *CorvexController::selectedEntry() const
{
    if (m_window->folderTableShown())
        return m_window->folders()->selectedFile();
    const QItemSelectionModel *selection = m_window->table()->selectionModel();
    int row = m_window->table()->currentIndex().row();
    if (row < 0 || !selection->isRowSelected(row)) {
        row = -1;
        for (const QItemSelectionRange &range : selection->selection())
            row = row < 0 ? range.top() : std::min(row, range.top());
    }
    return m_model->entryAt(row);
}

void CorvexController::viewSelected()
{
    const QString archive = m_archivePath;
    const ArchiveEntry *selected = archive.isEmpty() ? nullptr : selectedEntry();
    if (!selected || selected->isFolder()) {
        m_desktop.beep();
        return;
    }
    OperationRequest request = requestFor(OperationKind::Preview, archive);
    request.members = {selected->path()};
    const QString member = request.members.first();
    runOperation(request, tr("Opening preview…"), [this, member, archive](const Outcome &outcome) {
        m_previewFolders.append(outcome.path.chopped(member.size() + 1));
        if (archive == m_archivePath && m_format->can.testFlag(Capability::Update))
            m_edited->watch(outcome.path, member);
        setStatus(tr("Ready"));
        m_desktop.open(outcome.path);
    });
}

void CorvexController::chooseEncoding()
{
    m_window->showEncodings();
}

void CorvexController::installFileManagerActions()
{
    // A job like any other, so the window stays live while the script runs.
    JobRunner::Callbacks callbacks;
    callbacks.finished = [this](const Outcome &outcome) {
        if (!outcome.succeeded()) {
            showError(outcome.description);
            return;
        }
        setStatus(tr("File manager actions installed"));
        m_desktop.showAlert(Desktop::AlertStyle::Informational, tr("File manager actions installed"),
                            tr("Extract Here, Extract to Folder, Compress to ZIP, and Compress… are now in your file "
                               "manager's context menu."));
    };
    m_jobs->start(
        [folder = m_resourceFolder](OperationJob &) {
            const FileManagerActionsInstaller::Result installed = FileManagerActionsInstaller(folder).install();
            Outcome outcome;
            if (!installed.succeeded) {
                outcome.kind = Outcome::Kind::Failed;
                outcome.description = installed.problem;
            }
            return outcome;
        },
        std::move(callbacks));
}
