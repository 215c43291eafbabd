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

// The member paths to extract for the selected entries: each once, in
// listing order, a selected folder bringing every listed member under it.
QStringList memberPaths(const std::vector<ArchiveEntry> &entries, const std::vector<bool> &selected);

} // namespace MemberSelection
