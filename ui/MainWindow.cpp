#include "ui/MainWindow.h"

#include "engine/NameRecovery.h"
#include "ui/ActivityIndicator.h"
#include "ui/ArchiveDropTarget.h"
#include "ui/EncodingMenu.h"
#include "ui/EntryTableModel.h"
#include "ui/EntryTableView.h"
#include "ui/FolderBrowser.h"
#include "ui/FolderTableModel.h"
#include "ui/LocationBar.h"
#include "ui/PathLabel.h"
#include "ui/SearchField.h"
#include "ui/SidebarPanel.h"
#include "ui/SymbolIcons.h"
#include "ui/WindowLayout.h"

#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>

namespace {

constexpr int kColumnWidths[EntryTableModel::ColumnCount] = {330, 90, 90, 75, 150};
// Names are shorter than paths here; the type says how many items a folder holds.
constexpr int kFolderColumnWidths[EntryTableModel::ColumnCount] = {270, 90, 90, 135, 150};

} // namespace

MainWindow::MainWindow(const QString &resourceFolder, QWidget *parent)
    : QWidget(parent)
    , m_table(new EntryTableView)
    , m_pathLabel(new PathLabel(tr("Open an archive to begin")))
    , m_statusLabel(new QLabel(tr("Ready")))
    , m_activity(new ActivityIndicator)
{
    connect(m_activity, &ActivityIndicator::cancelRequested, this, &MainWindow::cancelRequested);
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Corvex"));
    resize(980, 640);
    setMinimumSize(760, 460);

    QWidget *toolbar = buildToolbar();
    QWidget *sidebar = buildSidebar(resourceFolder);
    m_pathLabel->setObjectName(QStringLiteral("pathLabel"));
    m_pathLabel->setFont(WindowLayout::fontOf(m_pathLabel, 13, QFont::Medium));
    buildTable();
    buildFolders();
    buildKeys();

    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusLabel->setFont(WindowLayout::fontOf(m_statusLabel, 12, QFont::Normal));
    m_statusLabel->setForegroundRole(QPalette::PlaceholderText);

    auto *layout = new WindowLayout(this);
    layout->setObjectName(QStringLiteral("windowLayout"));
    layout->setWidget(WindowLayout::Toolbar, toolbar);
    layout->setWidget(WindowLayout::Sidebar, sidebar);
    layout->setWidget(WindowLayout::Path, m_pathPages->parentWidget());
    layout->setWidget(WindowLayout::Search, m_searchField);
    layout->setWidget(WindowLayout::Table, m_tablePages);
    layout->setWidget(WindowLayout::Status, m_statusLabel);
    layout->setWidget(WindowLayout::Activity, m_activity);
    QWidget::setTabOrder(m_searchField, m_table);
}

MainWindow::~MainWindow() = default;

QAbstractButton *MainWindow::button(const QString &title, const QString &symbol, Command command)
{
    auto *result = new QToolButton;
    result->setText(title);
    result->setToolTip(title);
    result->setIcon(SymbolIcons::icon(symbol, style()));
    result->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    result->setIconSize(QSize(20, 20));
    result->setMinimumHeight(34);
    result->setFocusPolicy(Qt::TabFocus);
    connect(result, &QToolButton::clicked, this, [this, command] { emit commandRequested(command); });
    return result;
}

QAbstractButton *MainWindow::sidebarButton(const QString &title, const QString &symbol, Command command)
{
    auto *result = new QToolButton;
    result->setText(title);
    result->setIcon(SymbolIcons::icon(symbol, style()));
    result->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    result->setIconSize(QSize(16, 16));
    result->setAutoRaise(true);
    result->setFont(WindowLayout::fontOf(result, 13, QFont::Medium));
    result->setFocusPolicy(Qt::TabFocus);
    connect(result, &QToolButton::clicked, this, [this, command] { emit commandRequested(command); });
    return result;
}

QWidget *MainWindow::buildToolbar()
{
    const ButtonEntry entries[] = {
        {"openButton", tr("Open"), QStringLiteral("document-open"), Command::Open},
        {"extractButton", tr("Extract"), QStringLiteral("archive-extract"), Command::Extract},
        {"testButton", tr("Test"), QStringLiteral("security-high"), Command::Test},
        {"compressButton", tr("Compress to ZIP"), QStringLiteral("package-x-generic"), Command::CreateZip},
        {"compressDialogButton", tr("Compress…"), QStringLiteral("package-x-generic"), Command::Compress},
        {"addFilesButton", tr("Add Files…"), QStringLiteral("list-add"), Command::AddFiles},
        {"addFolderButton", tr("Add Folder…"), QStringLiteral("folder-new"), Command::AddFolder},
        {"viewButton", tr("View"), QStringLiteral("document-preview"), Command::View},
        {"fileManagerActionsButton", tr("File Manager Actions"), QStringLiteral("input-mouse"),
         Command::FileManagerActions},
    };

    auto *toolbar = new QWidget;
    toolbar->setObjectName(QStringLiteral("toolbar"));
    auto *row = new QHBoxLayout(toolbar);
    row->setSpacing(8);
    row->setContentsMargins(14, 10, 14, 10);
    for (const ButtonEntry &entry : entries) {
        QAbstractButton *b = button(entry.title, entry.symbol, entry.command);
        b->setObjectName(QLatin1String(entry.name));
        row->addWidget(b);
        m_toolbarButtons.emplace_back(entry.command, b);
    }
    // Only while the archive open has names in an old code page.
    m_encodingButton = button(tr("Encoding"), QStringLiteral("preferences-desktop-locale"), Command::Encoding);
    m_encodingButton->setObjectName(QStringLiteral("encodingButton"));
    m_encodingButton->hide();
    row->addWidget(m_encodingButton);
    m_encodingMenu = new EncodingMenu(toolbar);
    connect(m_encodingMenu, &EncodingMenu::chosen, this, &MainWindow::encodingChosen);
    return toolbar;
}

QWidget *MainWindow::buildSidebar(const QString &resourceFolder)
{
    const QString headerImage = resourceFolder.isEmpty() ? QString() : resourceFolder + QStringLiteral("/corvex.svg");
    QIcon image;
    if (!headerImage.isEmpty() && QFileInfo(headerImage).isFile())
        image = QIcon(headerImage);
    if (image.isNull())
        image = QApplication::windowIcon();

    const ButtonEntry entries[] = {
        {"openArchiveButton", tr("Open Archive"), QStringLiteral("package-x-generic"), Command::Open},
        {"homeButton", tr("Home"), QStringLiteral("user-home"), Command::Home},
        {"downloadsButton", tr("Downloads"), QStringLiteral("folder-download"), Command::Downloads},
        {"documentsButton", tr("Documents"), QStringLiteral("folder-documents"), Command::Documents},
        {"desktopButton", tr("Desktop"), QStringLiteral("user-desktop"), Command::Desktop},
        {"sidebarFileManagerActionsButton", tr("File Manager Actions"), QStringLiteral("input-mouse"),
         Command::FileManagerActions},
    };
    QList<QAbstractButton *> buttons;
    for (const ButtonEntry &entry : entries) {
        buttons.append(sidebarButton(entry.title, entry.symbol, entry.command));
        buttons.back()->setObjectName(QLatin1String(entry.name));
    }
    const QSize iconSize(SidebarPanel::kHeaderIconSize, SidebarPanel::kHeaderIconSize);
    auto *panel = new SidebarPanel(image.pixmap(iconSize, devicePixelRatioF()), buttons);
    panel->setObjectName(QStringLiteral("sidebar"));
    return panel;
}

void MainWindow::buildTable()
{
    m_table->setObjectName(QStringLiteral("entryTable"));
    m_table->horizontalHeader()->setObjectName(QStringLiteral("entryTableHeader"));
    connect(m_table, &EntryTableView::doubleClickedAnywhere, this, &MainWindow::rowActivated);
    connect(m_table, &EntryTableView::returnPressed, this, [this] {
        selectCurrentRow();
        emit rowActivated();
    });
    connect(m_table, &EntryTableView::menuRequested, this, &MainWindow::memberMenuRequested);
    connect(m_table, &EntryTableView::dragRequested, this, &MainWindow::dragRequested);

    m_searchField = new SearchField;
    m_searchField->setObjectName(QStringLiteral("searchField"));
    connect(m_searchField, &QLineEdit::textChanged, this, &MainWindow::searchChanged);
    connect(m_searchField, &SearchField::focused, this, &MainWindow::searchFocused);
    connect(m_searchField, &SearchField::leaveDownwards, this, [this] {
        activeTable()->setFocus(Qt::ShortcutFocusReason);
        if (!folderTableShown())
            selectCurrentRow();
    });
}

void MainWindow::buildFolders()
{
    m_folders = new FolderBrowser(this);
    EntryTableView *folderTable = m_folders->table();
    folderTable->applyWindowLook(kFolderColumnWidths);
    m_folders->model()->setIcons(SymbolIcons::icon(QStringLiteral("folder"), style()),
                                 SymbolIcons::icon(QStringLiteral("object-locked"), style()));
    m_folders->locationBar()->setFont(m_pathLabel->font());

    m_allFilesButton = new QToolButton;
    m_allFilesButton->setObjectName(QStringLiteral("allFilesButton"));
    m_allFilesButton->setText(tr("All Files"));
    m_allFilesButton->setToolTip(tr("Every member in one list (Ctrl+1)"));
    m_foldersButton = new QToolButton;
    m_foldersButton->setObjectName(QStringLiteral("foldersButton"));
    m_foldersButton->setText(tr("Folders"));
    m_foldersButton->setToolTip(tr("One folder at a time (Ctrl+2)"));
    auto *choice = new QButtonGroup(this);
    for (QAbstractButton *b : {m_allFilesButton, m_foldersButton}) {
        b->setCheckable(true);
        b->setFocusPolicy(Qt::TabFocus);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        choice->addButton(b);
    }
    connect(m_allFilesButton, &QAbstractButton::clicked, this, [this] { emit viewRequested(View::AllFiles); });
    connect(m_foldersButton, &QAbstractButton::clicked, this, [this] { emit viewRequested(View::Folders); });

    auto *pathRow = new QWidget;
    auto *row = new QHBoxLayout(pathRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(m_allFilesButton);
    row->addWidget(m_foldersButton);
    row->addSpacing(8);
    m_pathPages = new QStackedWidget;
    m_pathPages->addWidget(m_pathLabel);
    m_pathPages->addWidget(m_folders->locationBar());
    row->addWidget(m_pathPages, 1);
    m_tablePages = new QStackedWidget;
    m_tablePages->addWidget(m_table);
    m_tablePages->addWidget(folderTable);

    QHeaderView *header = folderTable->horizontalHeader();
    connect(header, &QHeaderView::sortIndicatorChanged, m_folders->model(), &FolderTableModel::sortBy);
    const auto activate = [this] {
        if (!m_folders->openCurrent())
            emit rowActivated();
    };
    connect(folderTable, &EntryTableView::doubleClickedAnywhere, this, activate);
    connect(folderTable, &EntryTableView::returnPressed, this, activate);
    connect(folderTable, &EntryTableView::menuRequested, this, &MainWindow::memberMenuRequested);
    connect(folderTable, &EntryTableView::dragRequested, this, &MainWindow::dragRequested);
}

void MainWindow::buildKeys()
{
    const auto shortcut = [this](const QKeySequence &keys, auto action) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, action);
    };
    const auto command = [this](Command c) { return [this, c] { emit commandRequested(c); }; };
    shortcut(QKeySequence::Find, [this] {
        m_searchField->setFocus(Qt::ShortcutFocusReason);
        m_searchField->selectAll();
    });
    shortcut(QKeySequence::Open, command(Command::Open));
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_E), command(Command::Extract));
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_1), [this] { emit viewRequested(View::AllFiles); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_2), [this] { emit viewRequested(View::Folders); });
    // On the tables only: in the search field and the name being edited these keys edit text.
    for (EntryTableView *table : {m_table, m_folders->table()}) {
        connect(new QShortcut(QKeySequence::Delete, table, nullptr, nullptr, Qt::WidgetShortcut), &QShortcut::activated,
                this, command(Command::Delete));
        connect(new QShortcut(QKeySequence(Qt::Key_F2), table, nullptr, nullptr, Qt::WidgetShortcut),
                &QShortcut::activated, this, command(Command::Rename));
    }
    // Escape stops the work while there is any; closing the window always does.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setObjectName(QStringLiteral("cancelShortcut"));
    connect(escape, &QShortcut::activated, this, &MainWindow::cancelRequested);
    connect(new ArchiveDropTarget(this), &ArchiveDropTarget::dropped, this, &MainWindow::itemsDropped);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    emit closing();
    QWidget::closeEvent(event);
}

EntryTableView *MainWindow::activeTable() const
{
    return folderTableShown() ? m_folders->table() : m_table;
}

bool MainWindow::folderTableShown() const
{
    return m_tablePages->currentIndex() == 1;
}

void MainWindow::setEntryModel(EntryTableModel *model)
{
    m_table->setModel(model);
    model->setLockIcon(SymbolIcons::icon(QStringLiteral("object-locked"), style()));
    // The column widths need the model's columns.
    m_table->applyWindowLook(kColumnWidths);
}

void MainWindow::setStatus(const QString &text)
{
    m_statusLabel->setText(text);
}

QString MainWindow::status() const
{
    return m_statusLabel->text();
}

void MainWindow::setPath(const QString &path)
{
    m_pathLabel->setText(path);
}

void MainWindow::setCommandEnabled(Command command, bool enabled, const QString &why)
{
    for (const auto &[c, b] : m_toolbarButtons) {
        if (c == command) {
            b->setEnabled(enabled);
            b->setToolTip(why);
        }
    }
}

void MainWindow::setNames(const NameRecovery &names)
{
    m_encodingMenu->setNames(names);
    m_encodingButton->setVisible(names.hasOldNames());
}

void MainWindow::showEncodings()
{
    m_encodingMenu->popup(m_encodingButton->mapToGlobal(QPoint(0, m_encodingButton->height())));
}

void MainWindow::startActivity()
{
    m_activity->start();
}

void MainWindow::showProgress(const OperationProgress &progress)
{
    m_activity->setProgress(progress);
}

void MainWindow::finishActivity()
{
    m_activity->finish();
}

QString MainWindow::searchText() const
{
    return m_searchField->text();
}

void MainWindow::clearSearch()
{
    m_searchField->clear();
}

void MainWindow::clearSort()
{
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

bool MainWindow::showPages(View view, bool archiveOpen)
{
    const bool folders = view == View::Folders;
    m_allFilesButton->setChecked(!folders);
    m_foldersButton->setChecked(folders);
    m_pathPages->setCurrentIndex(folders && archiveOpen ? 1 : 0);
    const bool wasFolderTable = folderTableShown();
    m_tablePages->setCurrentIndex(folders && m_searchField->text().isEmpty() ? 1 : 0);
    return folderTableShown() != wasFolderTable;
}

void MainWindow::selectCurrentRow()
{
    QItemSelectionModel *selection = m_table->selectionModel();
    QModelIndex current = m_table->currentIndex();
    if (!current.isValid() && m_table->model()->rowCount() > 0)
        current = m_table->model()->index(0, 0);
    if (current.isValid() && !selection->isRowSelected(current.row()))
        selection->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool MainWindow::editName(const QString &member)
{
    EntryTableView *table = activeTable();
    const QModelIndex row = table->selectionModel()->selectedRows(0).value(0);
    if (!row.isValid())
        return false;
    auto *editor = new QLineEdit(member.section(QLatin1Char('/'), -1), table->viewport());
    editor->setObjectName(QStringLiteral("renameEditor"));
    editor->setGeometry(table->visualRect(row.siblingAtColumn(0)));
    editor->installEventFilter(this);
    editor->show();
    editor->setFocus(Qt::OtherFocusReason);
    // The name without its extension, ready to be typed over.
    const qsizetype dot = editor->text().lastIndexOf(QLatin1Char('.'));
    editor->setSelection(0, dot > 0 ? dot : editor->text().size());
    connect(editor, &QLineEdit::editingFinished, this, [this, editor, member] {
        if (editor->property("done").toBool())
            return;
        editor->setProperty("done", true);
        editor->deleteLater();
        const QString name = editor->text();
        if (name != member.section(QLatin1Char('/'), -1))
            emit nameEdited(member, name);
    });
    return true;
}

// Escape ends the edit, changing nothing; the window's own Escape (cancel) waits.
bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    auto *editor = qobject_cast<QLineEdit *>(watched);
    if (!editor || (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        || static_cast<QKeyEvent *>(event)->key() != Qt::Key_Escape)
        return QWidget::eventFilter(watched, event);
    event->accept();
    if (event->type() == QEvent::KeyPress) {
        editor->setProperty("done", true);
        editor->deleteLater();
    }
    return true;
}
