// The window's actions: loading, the open panel and quick-access folders,
// the four archive actions and the Finder-actions installer. Archive work
// runs on the pool and reports back through exactly one completion; a failed
// precondition only beeps, and a cancelled panel ends the action silently.
#include "ui/CorvexController.h"

#include "ui/EntryTableModel.h"
#include "ui/EntryTableView.h"
#include "ui/FinderActionsInstaller.h"
#include "ui/WorkQueue.h"
#include "ui/ZipReplacer.h"

#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QStandardPaths>
#include <memory>

void CorvexController::setStatus(const QString &text)
{
    m_statusLabel->setText(text);
}

void CorvexController::showError(const QString &description)
{
    m_desktop.showError(description);
}

void CorvexController::loadArchive(const QString &path)
{
    setStatus(QStringLiteral("Reading archive…"));
    const ArchiveEngine engine = m_engine;
    m_work->submit(
        [this, engine, path]() -> WorkQueue::Completion {
            auto entries = std::make_shared<std::vector<ArchiveEntry>>(engine.list(path));
            return [this, path, entries] {
                const auto count = entries->size();
                m_archivePath = path;
                m_model->setEntries(std::move(*entries));
                m_pathLabel->setText(path);
                setStatus(QStringLiteral("%1 items").arg(count));
            };
        },
        [this](const QString &description) {
            setStatus(QStringLiteral("Ready"));
            showError(description);
        });
}

void CorvexController::openArchive()
{
    Desktop::OpenPanel panel;
    panel.title = QStringLiteral("Open an archive");
    panel.canChooseFiles = true;
    panel.canChooseDirectories = false;
    panel.allowsMultipleSelection = false;
    const QStringList chosen = m_desktop.runOpenPanel(panel);
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return;
    loadArchive(chosen.first());
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
    Desktop::OpenPanel panel;
    panel.prompt = QStringLiteral("Extract");
    panel.canChooseFiles = false;
    panel.canChooseDirectories = true;
    panel.canCreateDirectories = true;
    const QStringList chosen = m_desktop.runOpenPanel(panel);
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return;
    const QString folder = chosen.first();

    setStatus(QStringLiteral("Extracting…"));
    const ArchiveEngine engine = m_engine;
    m_work->submit(
        [this, engine, archive, folder]() -> WorkQueue::Completion {
            engine.extract(archive, folder);
            return [this, folder] {
                setStatus(QStringLiteral("Extracted to ") + folder);
                m_desktop.reveal({folder});
            };
        },
        [this](const QString &description) { showError(description); });
}

void CorvexController::testArchive()
{
    const QString archive = m_archivePath;
    if (archive.isEmpty()) {
        m_desktop.beep();
        return;
    }
    setStatus(QStringLiteral("Testing…"));
    const ArchiveEngine engine = m_engine;
    m_work->submit(
        [this, engine, archive]() -> WorkQueue::Completion {
            engine.test(archive);
            return [this, archive] {
                setStatus(QStringLiteral("Archive test passed"));
                m_desktop.showAlert(Desktop::AlertStyle::Informational, QStringLiteral("Archive test passed"),
                                    QFileInfo(archive).fileName());
            };
        },
        [this](const QString &description) { showError(description); });
}

void CorvexController::createZip()
{
    Desktop::OpenPanel itemsPanel;
    itemsPanel.title = QStringLiteral("Choose files and folders");
    itemsPanel.canChooseFiles = true;
    itemsPanel.canChooseDirectories = true;
    itemsPanel.allowsMultipleSelection = true;
    const QStringList inputs = m_desktop.runOpenPanel(itemsPanel);
    if (inputs.isEmpty())
        return;

    Desktop::SavePanel savePanel;
    savePanel.proposedName = QStringLiteral("Archive.zip");
    savePanel.requiredSuffix = QStringLiteral("zip");
    const std::optional<QString> chosen = m_desktop.runSavePanel(savePanel);
    if (!chosen || chosen->isEmpty())
        return;
    const QString zip = *chosen;

    setStatus(QStringLiteral("Creating ZIP…"));
    const ArchiveEngine engine = m_engine;
    m_work->submit(
        [this, engine, zip, inputs]() -> WorkQueue::Completion {
            // The save panel has had the user agree to replace an existing
            // file, so the result must not be merged into it.
            ZipReplacer::createZip(engine, zip, inputs);
            return [this, zip] { loadArchive(zip); };
        },
        [this](const QString &description) { showError(description); });
}

const ArchiveEntry *CorvexController::selectedEntry() const
{
    const QItemSelectionModel *selection = m_table->selectionModel();
    int row = m_table->currentIndex().row();
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
    const ArchiveEntry entry = *selected;

    setStatus(QStringLiteral("Opening preview…"));
    const ArchiveEngine engine = m_engine;
    m_work->submit(
        [this, engine, entry, archive]() -> WorkQueue::Completion {
            const QString copy = engine.preview(entry, archive);
            return [this, copy] {
                setStatus(QStringLiteral("Ready"));
                m_desktop.open(copy);
            };
        },
        [this](const QString &description) { showError(description); });
}

void CorvexController::installFinderActions()
{
    // Runs to its end here, on the main thread: the window waits for the
    // script like for a dialog.
    try {
        FinderActionsInstaller(m_resourceFolder).install();
    } catch (const std::exception &error) {
        showError(describeError(error));
        return;
    }
    setStatus(QStringLiteral("Finder actions installed"));
    m_desktop.showAlert(Desktop::AlertStyle::Informational, QStringLiteral("Finder actions installed"),
                        QStringLiteral("Extract Here, Extract to Folder, and Compress to ZIP are now enabled in "
                                       "Finder Services."));
}
