#include "ui/FolderBrowser.h"

#include "ui/EntryTableView.h"
#include "ui/FolderTableModel.h"
#include "ui/LocationBar.h"

#include <QItemSelectionModel>
#include <QShortcut>

namespace {

constexpr FolderIndex::Item kNoItem = 0xffffffffu;

} // namespace

FolderBrowser::FolderBrowser(QObject *parent)
    : QObject(parent)
    , m_model(new FolderTableModel(this))
    , m_table(new EntryTableView)
    , m_locationBar(new LocationBar)
{
    m_table->setModel(m_model);
    m_table->setObjectName(QStringLiteral("folderTable"));
    m_locationBar->setObjectName(QStringLiteral("locationBar"));
    connect(m_locationBar, &LocationBar::partClicked, this, [this](int depth) {
        quint32 target = folder();
        for (int d = int(location().count(QLatin1Char('/'))) + (location().isEmpty() ? 0 : 1); d > depth; --d)
            target = m_model->folderIndex()->folder(target).parent;
        open(target);
    });
    const auto key = [this](const QKeySequence &keys, void (FolderBrowser::*action)()) {
        auto *shortcut = new QShortcut(keys, m_table);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    key(QKeySequence(Qt::Key_Backspace), &FolderBrowser::up);
    key(QKeySequence(Qt::ALT | Qt::Key_Up), &FolderBrowser::up);
    key(QKeySequence(Qt::ALT | Qt::Key_Left), &FolderBrowser::back);
    key(QKeySequence(Qt::ALT | Qt::Key_Right), &FolderBrowser::forward);
}

FolderBrowser::~FolderBrowser()
{
    // Unless a window has taken them.
    if (m_table && !m_table->parent())
        delete m_table;
    if (m_locationBar && !m_locationBar->parent())
        delete m_locationBar;
}

void FolderBrowser::setArchive(const QString &archiveName, std::shared_ptr<const std::vector<ArchiveEntry>> entries,
                               std::shared_ptr<const FolderIndex> index)
{
    m_archiveName = archiveName;
    m_model->setArchive(std::move(entries), std::move(index));
    m_history.reset(FolderIndex::kRoot);
    show(FolderIndex::kRoot, kNoItem);
}

quint32 FolderBrowser::folder() const
{
    return m_model->folder();
}

QString FolderBrowser::location() const
{
    const FolderIndex *index = m_model->folderIndex();
    return index ? QString::fromUtf8(index->folder(folder()).path) : QString();
}

void FolderBrowser::open(quint32 folder)
{
    if (!m_model->folderIndex() || folder == this->folder())
        return;
    m_history.visit(folder);
    show(folder, kNoItem);
}

void FolderBrowser::up()
{
    if (folder() == FolderIndex::kRoot)
        return;
    const quint32 from = folder();
    m_history.visit(m_model->folderIndex()->folder(from).parent);
    show(m_history.current(), from | FolderIndex::kFolderBit);
}

void FolderBrowser::back()
{
    const quint32 from = folder();
    if (const auto to = m_history.back())
        show(*to, from | FolderIndex::kFolderBit);
}

void FolderBrowser::forward()
{
    const quint32 from = folder();
    if (const auto to = m_history.forward())
        show(*to, from | FolderIndex::kFolderBit);
}

bool FolderBrowser::openCurrent()
{
    const QModelIndex current = m_table->currentIndex();
    if (!current.isValid() || !FolderIndex::isFolder(m_model->itemAt(current.row())))
        return false;
    open(FolderIndex::numberOf(m_model->itemAt(current.row())));
    return true;
}

void FolderBrowser::reveal(quint32 entry)
{
    const FolderIndex *index = m_model->folderIndex();
    if (!index || entry >= m_model->entries().size())
        return;
    const ArchiveEntry &member = m_model->entries()[entry];
    // A folder's record is shown as the folder itself.
    FolderIndex::Item item = entry;
    if (member.isFolder()) {
        const auto number = index->find(member.pathUtf8());
        item = number ? *number | FolderIndex::kFolderBit : kNoItem;
    }
    const quint32 target = index->folderOf(member.pathUtf8());
    m_history.visit(target);
    show(target, item);
}

void FolderBrowser::show(quint32 folder, FolderIndex::Item select)
{
    m_model->setFolder(folder);
    QStringList parts{m_archiveName};
    if (const FolderIndex *index = m_model->folderIndex()) {
        const QString path = QString::fromUtf8(index->folder(folder).path);
        if (!path.isEmpty())
            parts += path.split(QLatin1Char('/'));
    }
    m_locationBar->setParts(parts);
    const int row = select == kNoItem ? 0 : std::max(m_model->rowOf(select), 0);
    if (row < m_model->rowCount()) {
        const QModelIndex index = m_model->index(row, 0);
        m_table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_table->scrollTo(index);
    }
    emit locationChanged();
}

MemberSelection::Members FolderBrowser::selectedMembers() const
{
    MemberSelection::Members result;
    const FolderIndex *index = m_model->folderIndex();
    const QItemSelectionModel *selection = m_table->selectionModel();
    if (!index || !selection->hasSelection())
        return result;
    int selected = 0;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (!selection->isRowSelected(row))
            continue;
        ++selected;
        const FolderIndex::Item item = m_model->itemAt(row);
        QByteArrayList raw;
        if (FolderIndex::isFolder(item))
            raw = index->folder(FolderIndex::numberOf(item)).spellings;
        else
            raw = {m_model->entries()[item].pathUtf8().toByteArray()};
        for (const QByteArray &path : raw) {
            const QString name = QString::fromUtf8(path);
            // Decoding replaces what is not UTF-8; encoding again shows it.
            (name.toUtf8() == path ? result.paths : result.unnamed).append(name);
        }
    }
    // Everything at the top is the whole archive: named by naming nothing.
    result.all = folder() == FolderIndex::kRoot && selected == m_model->rowCount() && result.unnamed.isEmpty();
    if (result.all)
        result.paths.clear();
    result.base = location();
    return result;
}

const ArchiveEntry *FolderBrowser::selectedFile() const
{
    const QItemSelectionModel *selection = m_table->selectionModel();
    const auto fileAt = [this](int row) -> const ArchiveEntry * {
        const FolderIndex::Item item = m_model->itemAt(row);
        return FolderIndex::isFolder(item) ? nullptr : &m_model->entries()[item];
    };
    const int current = m_table->currentIndex().row();
    if (current >= 0 && selection->isRowSelected(current))
        return fileAt(current);
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (selection->isRowSelected(row))
            return fileAt(row);
    }
    return nullptr;
}
