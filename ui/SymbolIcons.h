#pragma once

#include <QIcon>
#include <QString>

class QStyle;

// The window names its images by freedesktop icon name ("document-open",
// "archive-extract", ...). Each is tried with its line-art variant first and
// a generic alternative after, then falls back to one of the style's icons.
namespace SymbolIcons {
// Null only for a symbol this table does not know.
QIcon icon(const QString &symbol, const QStyle *style);
}
