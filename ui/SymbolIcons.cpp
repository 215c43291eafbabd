#include "SymbolIcons.h"

#include <QStyle>

namespace {

struct Mapping {
    const char *symbol;
    const char *themeNames[3];
    QStyle::StandardPixmap fallback;
};

// Generic names first, so each desktop's own theme answers; the symbolic
// names match the line-art look where the generic ones are missing.
const Mapping kMappings[] = {
    {"folder", {"document-open", "folder-open", "folder-symbolic"}, QStyle::SP_DirOpenIcon},
    {"arrow.down.to.line", {"archive-extract", "go-bottom", "go-bottom-symbolic"}, QStyle::SP_ArrowDown},
    {"checkmark.shield", {"security-high", "security-high-symbolic", "emblem-ok-symbolic"}, QStyle::SP_DialogApplyButton},
    {"archivebox", {"package-x-generic", "application-x-archive", "package-x-generic-symbolic"}, QStyle::SP_DriveFDIcon},
    {"eye", {"document-preview", "view-reveal-symbolic", "document-print-preview"}, QStyle::SP_FileDialogContentsView},
    {"cursorarrow.click.2", {"input-mouse", "input-mouse-symbolic", "preferences-system"}, QStyle::SP_CommandLink},
    {"house", {"user-home", "go-home", "user-home-symbolic"}, QStyle::SP_DirHomeIcon},
    {"arrow.down.circle", {"folder-download", "folder-downloads", "folder-download-symbolic"}, QStyle::SP_ArrowDown},
    {"doc", {"folder-documents", "x-office-document", "folder-documents-symbolic"}, QStyle::SP_FileIcon},
    {"desktopcomputer", {"user-desktop", "computer", "user-desktop-symbolic"}, QStyle::SP_DesktopIcon},
};

const Mapping *find(const QString &symbol)
{
    for (const Mapping &mapping : kMappings) {
        if (symbol == QLatin1String(mapping.symbol))
            return &mapping;
    }
    return nullptr;
}

void useAdwaitaWhenThemeless()
{
    // Without a desktop session Qt knows only hicolor, which has none of
    // these names; Debian's default theme does.
    static const bool once = [] {
        const QString fallback = QIcon::fallbackThemeName();
        if (fallback.isEmpty() || fallback == QLatin1String("hicolor"))
            QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
        return true;
    }();
    Q_UNUSED(once);
}

} // namespace

QStringList SymbolIcons::themeNames(const QString &symbol)
{
    QStringList names;
    if (const Mapping *mapping = find(symbol)) {
        for (const char *name : mapping->themeNames)
            names.append(QString::fromLatin1(name));
    }
    return names;
}

QIcon SymbolIcons::icon(const QString &symbol, const QStyle *style)
{
    const Mapping *mapping = find(symbol);
    if (!mapping)
        return {};
    useAdwaitaWhenThemeless();
    for (const char *name : mapping->themeNames) {
        const QIcon themed = QIcon::fromTheme(QString::fromLatin1(name));
        if (!themed.isNull())
            return themed;
    }
    return style ? style->standardIcon(mapping->fallback) : QIcon();
}
