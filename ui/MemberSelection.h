#pragma once

#include "engine/ArchiveEntry.h"

#include <QItemSelection>
#include <QStringList>
#include <vector>

class EntryTableModel;

// The entry table's selection in terms of members rather than view rows, so
// that it survives a new order and turns into what to extract.
namespace MemberSelection {

// Which entries (by listing index) the selected rows show.
std::vector<bool> selectedEntries(const QItemSelection &selection, const EntryTableModel &model);

// The view rows now showing any of those entries, as row ranges.
QItemSelection rowsShowing(const std::vector<bool> &selected, const EntryTableModel &model);

struct Members {
    // Every entry is selected: take the whole archive, naming nothing.
    bool all = false;
    // The selected members to name to the tool, each once, in listing
    // order. The tool takes a folder with everything under it, so members
    // under a selected folder are left out: a selected folder stays one name.
    QStringList paths;
    // Selected names that are not valid UTF-8 (shown with replacement
    // characters): they cannot be named to the tool exactly.
    QStringList unnamed;
    // The folder they were chosen in ("a/b"; empty: the top), which an
    // extraction places them relative to.
    QString base;

    bool isEmpty() const { return !all && paths.isEmpty() && unnamed.isEmpty(); }
};

Members members(const std::vector<ArchiveEntry> &entries, const std::vector<bool> &selected);

} // namespace MemberSelection
