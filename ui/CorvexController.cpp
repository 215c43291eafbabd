#include "ui/CorvexController.h"

#include "engine/JobRunner.h"
#include "engine/PreviewFolder.h"
#include "ui/ActivityIndicator.h"
#include "ui/DragOut.h"
#include "ui/EncodingMenu.h"
#include "ui/EntryTableModel.h"
#include "ui/EntryTableView.h"
#include "ui/PathLabel.h"
#include "ui/SearchField.h"
#include "ui/SidebarPanel.h"
#include "ui/SymbolIcons.h"
#include "ui/WindowLayout.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>

#include <utility>

namespace {

// Font sizes are in the same unit as every other measure of the window:
// device-independent pixels.
QFont fontOf(const QWidget *widget, int pixelSize, QFont::Weight weight)
{
    QFont font = widget->font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

constexpr int kColumnWidths[EntryTableModel::ColumnCount] = {330, 90, 90, 75, 150};
constexpr int kHeaderIconSize = 36;

} // namespace

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
    , m_window(std::make_unique<QWidget>())
    , m_jobs(std::make_unique<JobRunner>(this))
{
    setObjectName(QStringLiteral("corvexController"));
    m_model = new EntryTableModel(this);
    m_table = new EntryTableView;
    m_pathLabel = new PathLabel(tr("Open an archive to begin"));
    m_statusLabel = new QLabel(tr("Ready"));
    m_activity = new ActivityIndicator;
    connect(m_activity, &ActivityIndicator::cancelRequested, this, &CorvexController::cancelWork);

    m_window->setObjectName(QStringLiteral("mainWindow"));
    m_window->setWindowTitle(QStringLiteral("Corvex"));
    m_window->resize(980, 640);
    m_window->setMinimumSize(760, 460);
    buildInterface();
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

void CorvexController::enableFor(const ArchiveFormat &format)
{
    m_format = &format;
    for (const FormatAction &item : m_formatActions) {
        const bool allowed = format.can.testFlag(item.needs);
        // Why not, where it is not.
        const QString refusal = ArchiveFormats::refusal(format, item.needs);
        if (item.button) {
            item.button->setEnabled(allowed);
            item.button->setToolTip(refusal);
        }
        if (item.action) {
            item.action->setEnabled(allowed);
            item.action->setToolTip(refusal);
        }
    }
}

bool CorvexController::eventFilter(QObject *watched, QEvent *event)
{
    if (renameKey(watched, event))
        return true;
    if (watched == m_window.get() && event->type() == QEvent::Close) {
        cancelWork();
        m_archivePassword.clear();
        removePreviews();
    }
    return QObject::eventFilter(watched, event);
}

QWidget *CorvexController::window() const
{
    return m_window.get();
}

const std::vector<ArchiveEntry> &CorvexController::entries() const
{
    return m_model->entries();
}

QAbstractButton *CorvexController::button(const QString &title, const QString &symbol, Action action)
{
    auto *result = new QToolButton;
    result->setText(title);
    result->setToolTip(title);
    result->setIcon(SymbolIcons::icon(symbol, m_window->style()));
    result->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    result->setIconSize(QSize(20, 20));
    result->setMinimumHeight(34);
    result->setFocusPolicy(Qt::TabFocus);
    connect(result, &QToolButton::clicked, this, action);
    return result;
}

QAbstractButton *CorvexController::sidebarButton(const QString &title, const QString &symbol, Action action)
{
    auto *result = new QToolButton;
    result->setText(title);
    result->setIcon(SymbolIcons::icon(symbol, m_window->style()));
    result->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    result->setIconSize(QSize(16, 16));
    result->setAutoRaise(true);
    result->setFont(fontOf(result, 13, QFont::Medium));
    result->setFocusPolicy(Qt::TabFocus);
    connect(result, &QToolButton::clicked, this, action);
    return result;
}

QWidget *CorvexController::buildToolbar()
{
    const ButtonEntry entries[] = {
        {"openButton", tr("Open"), QStringLiteral("document-open"), &CorvexController::openArchive},
        {"extractButton", tr("Extract"), QStringLiteral("archive-extract"),
         &CorvexController::extractArchive, Capability::Extract},
        {"testButton", tr("Test"), QStringLiteral("security-high"), &CorvexController::testArchive, Capability::Test},
        {"compressButton", tr("Compress to ZIP"), QStringLiteral("package-x-generic"),
         &CorvexController::createZip},
        {"compressDialogButton", tr("Compress…"), QStringLiteral("package-x-generic"),
         &CorvexController::compress},
        {"addFilesButton", tr("Add Files…"), QStringLiteral("list-add"), &CorvexController::addFiles,
         Capability::Update},
        {"addFolderButton", tr("Add Folder…"), QStringLiteral("folder-new"), &CorvexController::addFolder,
         Capability::Update},
        {"viewButton", tr("View"), QStringLiteral("document-preview"), &CorvexController::viewSelected,
         Capability::Extract},
        {"fileManagerActionsButton", tr("File Manager Actions"), QStringLiteral("input-mouse"),
         &CorvexController::installFileManagerActions},
    };

    auto *toolbar = new QWidget;
    toolbar->setObjectName(QStringLiteral("toolbar"));
    auto *row = new QHBoxLayout(toolbar);
    row->setSpacing(8);
    row->setContentsMargins(14, 10, 14, 10);
    for (const ButtonEntry &entry : entries) {
        QAbstractButton *b = button(entry.title, entry.symbol, entry.action);
        b->setObjectName(QLatin1String(entry.name));
        row->addWidget(b);
        if (entry.needs)
            m_formatActions.push_back({b, nullptr, *entry.needs});
    }
    // Only while the archive open has names in an old code page.
    m_encodingButton = button(tr("Encoding"), QStringLiteral("preferences-desktop-locale"),
                              &CorvexController::chooseEncoding);
    m_encodingButton->setObjectName(QStringLiteral("encodingButton"));
    m_encodingButton->hide();
    row->addWidget(m_encodingButton);
    m_encodingMenu = new EncodingMenu(toolbar);
    connect(m_encodingMenu, &EncodingMenu::chosen, this,
            [this](int codePage) { startLoading(m_archivePath, m_archivePassword, codePage); });
    return toolbar;
}

QWidget *CorvexController::buildSidebar()
{
    auto *panel = new SidebarPanel;
    panel->setObjectName(QStringLiteral("sidebar"));

    auto *icon = new QLabel;
    icon->setObjectName(QStringLiteral("headerIcon"));
    icon->setFixedSize(kHeaderIconSize, kHeaderIconSize);
    const QString headerImage = m_resourceFolder.isEmpty() ? QString() : m_resourceFolder + QStringLiteral("/corvex.svg");
    QIcon image;
    if (!headerImage.isEmpty() && QFileInfo(headerImage).isFile())
        image = QIcon(headerImage);
    if (image.isNull())
        image = QApplication::windowIcon();
    icon->setPixmap(image.pixmap(QSize(kHeaderIconSize, kHeaderIconSize), m_window->devicePixelRatioF()));
    icon->setAlignment(Qt::AlignCenter);

    auto *title = new QLabel(QStringLiteral("Corvex"));
    title->setObjectName(QStringLiteral("headerTitle"));
    title->setFont(fontOf(title, 18, QFont::DemiBold));

    auto *header = new QHBoxLayout;
    header->setSpacing(9);
    header->setContentsMargins(0, 0, 0, 0);
    header->addWidget(icon, 0, Qt::AlignVCenter);
    header->addWidget(title, 0, Qt::AlignVCenter);

    auto *section = new QLabel(tr("QUICK ACCESS"));
    section->setObjectName(QStringLiteral("sectionLabel"));
    section->setFont(fontOf(section, 10, QFont::DemiBold));
    section->setForegroundRole(QPalette::PlaceholderText);

    const ButtonEntry entries[] = {
        {"openArchiveButton", tr("Open Archive"), QStringLiteral("package-x-generic"),
         &CorvexController::openArchive},
        {"homeButton", tr("Home"), QStringLiteral("user-home"), &CorvexController::openHome},
        {"downloadsButton", tr("Downloads"), QStringLiteral("folder-download"),
         &CorvexController::openDownloads},
        {"documentsButton", tr("Documents"), QStringLiteral("folder-documents"), &CorvexController::openDocuments},
        {"desktopButton", tr("Desktop"), QStringLiteral("user-desktop"),
         &CorvexController::openDesktop},
        {"sidebarFileManagerActionsButton", tr("File Manager Actions"), QStringLiteral("input-mouse"),
         &CorvexController::installFileManagerActions},
    };

    // Spacing between the items is given item by item: 18 after the header,
    // 4 after the section label, 8 elsewhere.
    auto *stack = new QVBoxLayout(panel);
    stack->setObjectName(QStringLiteral("sidebarStack"));
    stack->setSpacing(0);
    stack->setContentsMargins(14, 16, 10, 0);
    stack->addLayout(header);
    stack->setAlignment(header, Qt::AlignLeft);
    stack->addSpacing(18);
    stack->addWidget(section, 0, Qt::AlignLeft);
    stack->addSpacing(4);
    bool first = true;
    for (const ButtonEntry &entry : entries) {
        if (!first)
            stack->addSpacing(8);
        first = false;
        QAbstractButton *b = sidebarButton(entry.title, entry.symbol, entry.action);
        b->setObjectName(QLatin1String(entry.name));
        stack->addWidget(b, 0, Qt::AlignLeft);
    }
    stack->addStretch(1);
    return panel;
}

void CorvexController::buildTable()
{
    m_table->setObjectName(QStringLiteral("entryTable"));
    m_table->setModel(m_model);
    m_model->setLockIcon(SymbolIcons::icon(QStringLiteral("object-locked"), m_window->style()));
    m_table->applyWindowLook(kColumnWidths);
    m_table->horizontalHeader()->setObjectName(QStringLiteral("entryTableHeader"));

    connect(m_table, &EntryTableView::doubleClickedAnywhere, this, &CorvexController::viewSelected);
}

void CorvexController::buildInterface()
{
    QWidget *toolbar = buildToolbar();
    QWidget *sidebar = buildSidebar();

    m_pathLabel->setObjectName(QStringLiteral("pathLabel"));
    m_pathLabel->setFont(fontOf(m_pathLabel, 13, QFont::Medium));

    buildTable();
    buildFinding();
    buildFolders();
    buildChangeKeys();

    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusLabel->setFont(fontOf(m_statusLabel, 12, QFont::Normal));
    m_statusLabel->setForegroundRole(QPalette::PlaceholderText);

    auto *layout = new WindowLayout(m_window.get());
    layout->setObjectName(QStringLiteral("windowLayout"));
    layout->setWidget(WindowLayout::Toolbar, toolbar);
    layout->setWidget(WindowLayout::Sidebar, sidebar);
    layout->setWidget(WindowLayout::Path, m_pathPages->parentWidget());
    layout->setWidget(WindowLayout::Search, m_searchField);
    layout->setWidget(WindowLayout::Table, m_tablePages);
    layout->setWidget(WindowLayout::Status, m_statusLabel);
    layout->setWidget(WindowLayout::Activity, m_activity);

    // Escape stops the work while there is any; closing the window always does.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_window.get());
    escape->setObjectName(QStringLiteral("cancelShortcut"));
    connect(escape, &QShortcut::activated, this, [this] {
        if (!m_running.empty())
            cancelWork();
    });
    m_window->installEventFilter(this);
    QWidget::setTabOrder(m_searchField, m_table);
}
