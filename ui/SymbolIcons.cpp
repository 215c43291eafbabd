#include "ui/SymbolIcons.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace {

struct Mapping {
    // The freedesktop name the window asks for.
    const char *name;
    const char *themeNames[3];
    QStyle::StandardPixmap fallback;
};

// Line-art names first, the look the window is drawn for; then the generic
// names every theme has; then the style's own icon.
const Mapping kMappings[] = {
    {"document-open", {"folder-open-symbolic", "document-open", "folder-open"}, QStyle::SP_DirOpenIcon},
    {"archive-extract", {"go-bottom-symbolic", "archive-extract", "go-bottom"}, QStyle::SP_ArrowDown},
    {"security-high", {"security-high-symbolic", "security-high", "emblem-ok"}, QStyle::SP_DialogApplyButton},
    {"package-x-generic", {"package-x-generic-symbolic", "package-x-generic", "application-x-archive"}, QStyle::SP_DriveFDIcon},
    {"document-preview", {"view-reveal-symbolic", "document-preview", "document-print-preview"}, QStyle::SP_FileDialogContentsView},
    {"input-mouse", {"input-mouse-symbolic", "input-mouse", "preferences-system"}, QStyle::SP_CommandLink},
    {"preferences-desktop-locale", {"font-select-symbolic", "preferences-desktop-locale", "preferences-desktop-font"}, QStyle::SP_FileDialogDetailedView},
    {"user-home", {"user-home-symbolic", "user-home", "go-home"}, QStyle::SP_DirHomeIcon},
    {"folder-download", {"folder-download-symbolic", "folder-download", "folder-downloads"}, QStyle::SP_ArrowDown},
    {"folder-documents", {"folder-documents-symbolic", "folder-documents", "x-office-document"}, QStyle::SP_FileIcon},
    {"folder", {"folder", "inode-directory", "folder-symbolic"}, QStyle::SP_DirIcon},
    {"user-desktop", {"user-desktop-symbolic", "user-desktop", "computer"}, QStyle::SP_DesktopIcon},
    // Qt has no lock of its own: one is drawn (see drawnLock).
    {"object-locked", {"changes-prevent-symbolic", "object-locked", "emblem-readonly"}, QStyle::SP_CustomBase},
};

const Mapping *find(const QString &symbol)
{
    for (const Mapping &mapping : kMappings) {
        if (symbol == QLatin1String(mapping.name))
            return &mapping;
    }
    return nullptr;
}

// A padlock in the text colour: a shackle, and the body over its lower half.
QIcon drawnLock()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink = QApplication::palette().color(QPalette::Text);
    painter.setPen(QPen(ink, 3));
    painter.drawRoundedRect(QRectF(10, 4, 12, 20), 6, 6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawRoundedRect(QRectF(6, 14, 20, 15), 2, 2);
    painter.end();
    return QIcon(pixmap);
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
    if (mapping->fallback == QStyle::SP_CustomBase)
        return drawnLock();
    return style ? style->standardIcon(mapping->fallback) : QIcon();
}
