// Finding and picking members: the search field, sorting by a column, the
// row menu with Extract Selected, the keyboard shortcuts, and archives
// dropped on the window.
#include "ui/CorvexController.h"

#include "ui/ArchiveDropTarget.h"
#include "ui/EntryArranger.h"
#include "ui/EntryTableModel.h"
#include "ui/EntryTableView.h"
#include "ui/MemberSelection.h"
#include "ui/SearchField.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QShortcut>

void CorvexController::buildFinding()
{
    m_searchField = new SearchField;
    m_searchField->setObjectName(QStringLiteral("searchField"));
    m_arranger = new EntryArranger(m_model, m_table, this);
    connect(m_searchField, &SearchField::textChanged, m_arranger, &EntryArranger::setFilterText);
    connect(m_searchField, &SearchField::focused, m_arranger, &EntryArranger::prepareFilter);
    connect(m_arranger, &EntryArranger::filtered, this, &CorvexController::showFilterCount);
    connect(m_searchField, &SearchField::leaveDownwards, this, [this] {
        m_table->setFocus(Qt::ShortcutFocusReason);
        selectCurrentRow();
    });

    QHeaderView *header = m_table->horizontalHeader();
    connect(header, &QHeaderView::sortIndicatorChanged, m_arranger, &EntryArranger::sortBy);
    // New members start unfiltered, in listing order.
    connect(m_model, &EntryTableModel::entriesReplaced, this, [this, header] {
        m_searchField->clear();
        header->setSortIndicator(-1, Qt::AscendingOrder);
    });

    m_memberMenu = new QMenu(m_window.get());
    m_memberMenu->setObjectName(QStringLiteral("memberMenu"));
    m_memberMenu->addAction(tr("Extract Selected…"), this, &CorvexController::extractSelected)
        ->setObjectName(QStringLiteral("extractSelectedAction"));
    m_memberMenu->addAction(tr("View"), this, &CorvexController::viewSelected)
        ->setObjectName(QStringLiteral("viewAction"));
    m_memberMenu->addAction(tr("Copy Path"), this, &CorvexController::copySelectedPaths)
        ->setObjectName(QStringLiteral("copyPathAction"));
    connect(m_table, &EntryTableView::menuRequested, this, &CorvexController::showMemberMenu);
    connect(m_table, &EntryTableView::returnPressed, this, [this] {
        selectCurrentRow();
        viewSelected();
    });

    auto shortcut = [this](const QKeySequence &keys, auto action) {
        connect(new QShortcut(keys, m_window.get()), &QShortcut::activated, this, action);
    };
    shortcut(QKeySequence::Find, [this] {
        m_searchField->setFocus(Qt::ShortcutFocusReason);
        m_searchField->selectAll();
    });
    shortcut(QKeySequence::Open, &CorvexController::openArchive);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_E), &CorvexController::extractArchive);

    connect(new ArchiveDropTarget(m_window.get()), &ArchiveDropTarget::dropped, this,
            &CorvexController::loadArchive);
}

void CorvexController::selectCurrentRow()
{
    // The keyboard moves the current row without always selecting it (the
    // table takes the focus with one); Return and the search field's Down
    // act on it.
    QItemSelectionModel *selection = m_table->selectionModel();
    QModelIndex current = m_table->currentIndex();
    if (!current.isValid() && m_model->rowCount() > 0)
        current = m_model->index(0, 0);
    if (current.isValid() && !selection->isRowSelected(current.row()))
        selection->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void CorvexController::showFilterCount(int shown, int total)
{
    if (m_archivePath.isEmpty())
        return;
    setStatus(m_arranger->isFiltered() ? tr("%1 of %n items", nullptr, total).arg(shown)
                                       : tr("%n items", nullptr, total));
}

QStringList CorvexController::selectedMemberPaths() const
{
    const QItemSelectionModel *selection = m_table->selectionModel();
    if (!selection->hasSelection())
        return {};
    return MemberSelection::memberPaths(m_model->entries(),
                                        MemberSelection::selectedEntries(selection->selection(), *m_model));
}

void CorvexController::showMemberMenu(const QPoint &globalPosition)
{
    const ArchiveEntry *entry = selectedEntry();
    if (!entry)
        return;
    const QList<QAction *> actions = m_memberMenu->actions();
    for (QAction *action : actions) {
        if (action->objectName() == QLatin1String("viewAction"))
            action->setEnabled(!entry->isFolder());
    }
    m_memberMenu->popup(globalPosition);
}

void CorvexController::extractSelected()
{
    const QString archive = m_archivePath;
    const QStringList members = archive.isEmpty() ? QStringList() : selectedMemberPaths();
    if (members.isEmpty()) {
        m_desktop.beep();
        return;
    }
    Desktop::OpenPanel panel;
    panel.prompt = tr("Extract");
    panel.canChooseFiles = false;
    panel.canChooseDirectories = true;
    panel.canCreateDirectories = true;
    const QStringList chosen = m_desktop.runOpenPanel(panel);
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return;
    extractMembers(archive, members, chosen.first());
}

void CorvexController::extractMembers(const QString &, const QStringList &members, const QString &)
{
    // Extraction of chosen members comes with the operation model; until
    // then this must not look like success.
    m_desktop.beep();
    setStatus(tr("Extracting %n selected items is not available yet", nullptr, int(members.size())));
}

void CorvexController::copySelectedPaths()
{
    const QItemSelectionModel *selection = m_table->selectionModel();
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
