#include "ui/MemberSelection.h"

#include "ui/EntryTableModel.h"

#include <QSet>

namespace MemberSelection {

std::vector<bool> selectedEntries(const QItemSelection &selection, const EntryTableModel &model)
{
    std::vector<bool> selected(model.entries().size());
    const int rows = model.rowCount();
    // Ranges, not selectedRows(): a million selected rows stay a few ranges.
    for (const QItemSelectionRange &range : selection) {
        if (range.model() != &model)
            continue;
        for (int row = std::max(range.top(), 0); row <= range.bottom() && row < rows; ++row)
            selected[model.entryIndex(row)] = true;
    }
    return selected;
}

QItemSelection rowsShowing(const std::vector<bool> &selected, const EntryTableModel &model)
{
    QItemSelection ranges;
    const int rows = model.rowCount();
    const int lastColumn = model.columnCount() - 1;
    for (int row = 0; row < rows; ++row) {
        const quint32 entry = model.entryIndex(row);
        if (entry >= selected.size() || !selected[entry])
            continue;
        int end = row;
        while (end + 1 < rows && model.entryIndex(end + 1) < selected.size() && selected[model.entryIndex(end + 1)])
            ++end;
        ranges.append(QItemSelectionRange(model.index(row, 0), model.index(end, lastColumn)));
        row = end;
    }
    return ranges;
}

QStringList memberPaths(const std::vector<ArchiveEntry> &entries, const std::vector<bool> &selected)
{
    // Views into the entries' own texts: nothing is copied per member.
    QSet<QByteArrayView> folders;
    for (size_t i = 0; i < entries.size() && i < selected.size(); ++i) {
        if (!selected[i] || !entries[i].isFolder())
            continue;
        QByteArrayView path = entries[i].pathUtf8();
        while (path.endsWith('/'))
            path.chop(1);
        if (!path.isEmpty())
            folders.insert(path);
    }
    auto underSelectedFolder = [&folders](QByteArrayView path) {
        for (qsizetype slash = path.indexOf('/'); slash >= 0; slash = path.indexOf('/', slash + 1)) {
            if (slash > 0 && folders.contains(path.first(slash)))
                return true;
        }
        return false;
    };

    QStringList paths;
    QSet<QByteArrayView> seen;
    for (size_t i = 0; i < entries.size(); ++i) {
        const QByteArrayView path = entries[i].pathUtf8();
        const bool wanted = (i < selected.size() && selected[i]) || (!folders.isEmpty() && underSelectedFolder(path));
        if (wanted && !seen.contains(path)) {
            seen.insert(path);
            paths.append(QString::fromUtf8(path));
        }
    }
    return paths;
}

} // namespace MemberSelection
