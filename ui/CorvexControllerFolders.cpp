// The two views of an archive: All Files (every member in one table) and
// Folders (one folder at a time under a location bar), the switch between
// them, and Show in Folder. A search lists its hits from the whole archive
// in either view, each with its folder in its path.
#include "ui/CorvexController.h"

#include "ui/EntryArranger.h"
#include "ui/EntryTableModel.h"
#include "ui/EntryTableView.h"
#include "ui/FolderBrowser.h"
#include "ui/LocationBar.h"

#include <QMenu>
#include <QSettings>

namespace {

const QString kViewKey = QStringLiteral("window/view");
const QString kFoldersValue = QStringLiteral("folders");

} // namespace

void CorvexController::buildFolders()
{
    connect(m_window->folders(), &FolderBrowser::locationChanged, this, [this] {
        if (!m_archivePath.isEmpty() && m_window->folderTableShown())
            setStatus(itemsStatus(int(m_model->entries().size())));
    });
    connect(m_window.get(), &MainWindow::searchChanged, this, &CorvexController::showViewPages);
    m_showInFolderAction = m_memberMenu->addAction(tr("Show in Folder"), this, &CorvexController::showInFolder);
    m_showInFolderAction->setObjectName(QStringLiteral("showInFolderAction"));
    connect(m_window.get(), &MainWindow::viewRequested, this, &CorvexController::setView);

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
    m_window->activeTable()->setFocus(Qt::ShortcutFocusReason);
}

void CorvexController::showViewPages()
{
    if (m_window->showPages(m_view, !m_archivePath.isEmpty()) && !m_archivePath.isEmpty())
        showFilterCount(m_model->rowCount(), int(m_model->entries().size()));
}

QString CorvexController::itemsStatus(int total, int shown) const
{
    const QString items = shown >= 0 ? tr("%1 of %n items", nullptr, total).arg(shown) : tr("%n items", nullptr, total);
    if (m_view != View::Folders)
        return items;
    const QString location = m_window->folders()->location();
    //: The items of the archive, then where the Folders view is.
    return tr("%1 · in %2")
        .arg(items, location.isEmpty() ? m_window->folders()->locationBar()->parts().value(0) : location);
}

void CorvexController::showInFolder()
{
    const ArchiveEntry *entry = m_window->folderTableShown() ? nullptr : selectedEntry();
    if (!entry) {
        m_desktop.beep();
        return;
    }
    const auto number = quint32(entry - m_model->entries().data());
    setView(View::Folders);
    m_window->clearSearch();
    m_window->folders()->reveal(number);
}
