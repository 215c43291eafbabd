#pragma once

#include <QIcon>
#include <QString>

class QStyle;

// The window names its images by symbol ("folder", "eye", ...). Each maps to
// icon-theme names, tried in order, then to one of the style's own icons.
namespace SymbolIcons {
// Null only for a symbol this table does not know.
QIcon icon(const QString &symbol, const QStyle *style);
QStringList themeNames(const QString &symbol);
}
