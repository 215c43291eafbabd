#include "ui/MemberSelection.h"

#include "ui/EntryTableModel.h"

#include <QSet>

#include <algorithm>
#include <functional>

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

Members members(const std::vector<ArchiveEntry> &entries, const std::vector<bool> &selected)
{
    Members result;
    const size_t count = std::min(entries.size(), selected.size());
    result.all = count == entries.size() && !entries.empty()
        && std::all_of(selected.begin(), selected.begin() + count, std::identity());
    if (result.all)
        return result;
    // Views into the entries' own texts: nothing is copied per member.
    QSet<QByteArrayView> folders;
    for (size_t i = 0; i < count; ++i) {
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

    QSet<QByteArrayView> seen;
    for (size_t i = 0; i < count; ++i) {
        if (!selected[i])
            continue;
        QByteArrayView path = entries[i].pathUtf8();
        while (path.endsWith('/') && path.size() > 1)
            path.chop(1);
        if (seen.contains(path) || (!folders.isEmpty() && underSelectedFolder(path)))
            continue;
        seen.insert(path);
        const QString name = QString::fromUtf8(path);
        // Decoding replaces what is not UTF-8; encoding again shows it.
        (name.toUtf8() == path ? result.paths : result.unnamed).append(name);
    }
    return result;
}

} // namespace MemberSelection
