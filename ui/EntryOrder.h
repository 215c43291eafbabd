#pragma once

#include "engine/ArchiveEntry.h"

#include <QtGlobal>
#include <vector>

// The orders the entry table can show. Every sort is stable in both
// directions: members whose values are equal keep their listing order.
namespace EntryOrder {

// Entry indices sorted by one table column: names (whole paths) in natural
// order, case-insensitively, with a folder's members right after it; sizes
// as numbers; types as text; modified as time. Empty values come first.
// All entries, or only those of `rows` (entry indices).
std::vector<quint32> sorted(const std::vector<ArchiveEntry> &entries, int column, Qt::SortOrder order,
                            const std::vector<quint32> *rows = nullptr);

} // namespace EntryOrder
