// The two views of an archive: All Files (every member in one table) and
// Folders (one folder at a time under a location bar), the switch between
// them, and Show in Folder. A search lists its hits from the whole archive
// in either view, each with its folder in its path.
#include "ui/CorvexController.h"

#include "ui/EntryArranger.h"
#include "ui/EntryTableModel.h"
#include "ui/EntryTableView.h"
#include "ui/FolderBrowser.h"
#include "ui/FolderTableModel.h"
#include "ui/LocationBar.h"
#include "ui/SearchField.h"
#include "ui/SymbolIcons.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>

namespace {

// Names are shorter than paths here; the type says how many items a folder holds.
constexpr int kFolderColumnWidths[EntryTableModel::ColumnCount] = {270, 90, 90, 135, 150};
const QString kViewKey = QStringLiteral("window/view");
const QString kFoldersValue = QStringLiteral("folders");

} // namespace

void CorvexController::buildFolders()
{
    m_folders = new FolderBrowser(this);
    EntryTableView *folderTable = m_folders->table();
    folderTable->applyWindowLook(kFolderColumnWidths);
    m_folders->model()->setIcons(SymbolIcons::icon(QStringLiteral("folder"), m_window->style()),
                                 SymbolIcons::icon(QStringLiteral("object-locked"), m_window->style()));
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
    connect(m_allFilesButton, &QAbstractButton::clicked, this, [this] { setView(View::AllFiles); });
    connect(m_foldersButton, &QAbstractButton::clicked, this, [this] { setView(View::Folders); });

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
    connect(m_folders, &FolderBrowser::locationChanged, this, [this] {
        if (!m_archivePath.isEmpty() && folderTableShown())
            setStatus(itemsStatus(int(m_model->entries().size())));
    });
    const auto activate = [this] {
        if (!m_folders->openCurrent())
            viewSelected();
    };
    connect(folderTable, &EntryTableView::doubleClickedAnywhere, this, activate);
    connect(folderTable, &EntryTableView::returnPressed, this, activate);
    connect(folderTable, &EntryTableView::menuRequested, this, &CorvexController::showMemberMenu);
    connect(folderTable, &EntryTableView::dragRequested, this, &CorvexController::dragSelected);
    connect(m_searchField, &QLineEdit::textChanged, this, &CorvexController::showViewPages);
    m_showInFolderAction = m_memberMenu->addAction(tr("Show in Folder"), this, &CorvexController::showInFolder);
    m_showInFolderAction->setObjectName(QStringLiteral("showInFolderAction"));

    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_1), m_window.get()), &QShortcut::activated, this,
            [this] { setView(View::AllFiles); });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_2), m_window.get()), &QShortcut::activated, this,
            [this] { setView(View::Folders); });

    m_view = QSettings().value(kViewKey).toString() == kFoldersValue ? View::Folders : View::AllFiles;
    showViewPages();
}

void CorvexController::setView(View view)
{
    if (view != m_view) {
        m_view = view;
        QSettings().setValue(kViewKey, view == View::Folders ? kFoldersValue : QStringLiteral("all"));
    }
    showViewPages();
    activeTable()->setFocus(Qt::ShortcutFocusReason);
}

void CorvexController::showViewPages()
{
    const bool folders = m_view == View::Folders;
    m_allFilesButton->setChecked(!folders);
    m_foldersButton->setChecked(folders);
    m_pathPages->setCurrentIndex(folders && !m_archivePath.isEmpty() ? 1 : 0);
    const bool wasFolderTable = folderTableShown();
    m_tablePages->setCurrentIndex(folders && m_searchField->text().isEmpty() ? 1 : 0);
    if (!m_archivePath.isEmpty() && folderTableShown() != wasFolderTable)
        showFilterCount(m_model->rowCount(), int(m_model->entries().size()));
}

bool CorvexController::folderTableShown() const
{
    return m_tablePages->currentIndex() == 1;
}

EntryTableView *CorvexController::activeTable() const
{
    return folderTableShown() ? m_folders->table() : m_table;
}

QString CorvexController::itemsStatus(int total, int shown) const
{
    const QString items = shown >= 0 ? tr("%1 of %n items", nullptr, total).arg(shown) : tr("%n items", nullptr, total);
    if (m_view != View::Folders)
        return items;
    const QString location = m_folders->location();
    //: The items of the archive, then where the Folders view is.
    return tr("%1 · in %2").arg(items, location.isEmpty() ? m_folders->locationBar()->parts().value(0) : location);
}

void CorvexController::showInFolder()
{
    const ArchiveEntry *entry = folderTableShown() ? nullptr : selectedEntry();
    if (!entry) {
        m_desktop.beep();
        return;
    }
    const auto number = quint32(entry - m_model->entries().data());
    setView(View::Folders);
    m_searchField->clear();
    m_folders->reveal(number);
}
