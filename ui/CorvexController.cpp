#include "ui/CorvexController.h"

#include "engine/JobRunner.h"
#include "engine/PreviewFolder.h"
#include "ui/DragOut.h"
#include "ui/EntryTableModel.h"

#include <QAction>

#include <utility>

CorvexController::CorvexController(ArchiveEngine &engine, Desktop &desktop, QObject *parent)
    : CorvexController(engine, desktop, ArchiveEngine::applicationResourceFolder(), parent)
{
}

CorvexController::CorvexController(ArchiveEngine &engine, Desktop &desktop, const QString &resourceFolder,
                                   QObject *parent)
    : QObject(parent)
    , m_engine(engine)
    , m_desktop(desktop)
    , m_resourceFolder(resourceFolder)
    , m_window(std::make_unique<MainWindow>(resourceFolder))
    , m_jobs(std::make_unique<JobRunner>(this))
{
    setObjectName(QStringLiteral("corvexController"));
    m_model = new EntryTableModel(this);
    m_window->setEntryModel(m_model);
    connectWindow();
    buildFinding();
    buildFolders();
    buildChanges();
}

CorvexController::~CorvexController()
{
    removePreviews();
}

void CorvexController::removePreviews()
{
    if (m_edited)
        m_edited->clear();
    for (const QString &folder : std::exchange(m_previewFolders, {}))
        PreviewFolder::remove(folder);
}

std::span<const CorvexController::CommandEntry> CorvexController::commands()
{
    using C = MainWindow::Command;
    static const CommandEntry table[] = {
        {C::Open, &CorvexController::openArchive},
        {C::Extract, &CorvexController::extractArchive, Capability::Extract},
        {C::Test, &CorvexController::testArchive, Capability::Test},
        {C::CreateZip, &CorvexController::createZip},
        {C::Compress, &CorvexController::compress},
        {C::AddFiles, &CorvexController::addFiles, Capability::Update},
        {C::AddFolder, &CorvexController::addFolder, Capability::Update},
        {C::View, &CorvexController::viewSelected, Capability::Extract},
        {C::FileManagerActions, &CorvexController::installFileManagerActions},
        {C::Encoding, &CorvexController::chooseEncoding},
        {C::Home, &CorvexController::openHome},
        {C::Downloads, &CorvexController::openDownloads},
        {C::Documents, &CorvexController::openDocuments},
        {C::Desktop, &CorvexController::openDesktop},
        {C::Delete, &CorvexController::deleteSelected},
        {C::Rename, &CorvexController::renameSelected},
    };
    return table;
}

void CorvexController::perform(MainWindow::Command command)
{
    for (const CommandEntry &entry : commands()) {
        if (entry.command == command) {
            (this->*entry.action)();
            return;
        }
    }
}

void CorvexController::connectWindow()
{
    MainWindow *window = m_window.get();
    connect(window, &MainWindow::commandRequested, this, &CorvexController::perform);
    // Escape stops the work while there is any; closing the window always does.
    connect(window, &MainWindow::cancelRequested, this, &CorvexController::cancelWork);
    connect(window, &MainWindow::closing, this, [this] {
        cancelWork();
        m_archivePassword.clear();
        removePreviews();
    });
    connect(window, &MainWindow::encodingChosen, this,
            [this](int codePage) { startLoading(m_archivePath, m_archivePassword, codePage); });
}

void CorvexController::enableFor(const ArchiveFormat &format)
{
    m_format = &format;
    // Why not, where it is not.
    for (const CommandEntry &entry : commands()) {
        if (entry.needs)
            m_window->setCommandEnabled(entry.command, format.can.testFlag(*entry.needs),
                                        ArchiveFormats::refusal(format, *entry.needs));
    }
    for (const FormatAction &item : m_formatActions) {
        item.action->setEnabled(format.can.testFlag(item.needs));
        item.action->setToolTip(ArchiveFormats::refusal(format, item.needs));
    }
}

const std::vector<ArchiveEntry> &CorvexController::entries() const
{
    return m_model->entries();
}
