#include "engine/PathScreen.h"

bool PathScreen::isUnsafe(QStringView path)
{
    QString normalised = path.toString();
    normalised.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (normalised.startsWith(QLatin1Char('/')))
        return true;
    if (normalised.contains(QLatin1String("../")) || normalised.contains(QLatin1String("/..")))
        return true;
    // A drive letter: only ASCII letters count.
    if (normalised.size() >= 2 && normalised.at(1) == QLatin1Char(':')) {
        const char16_t c = normalised.at(0).unicode();
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    }
    return false;
}

QStringList PathScreen::unsafePaths(const std::vector<ArchiveEntry> &entries)
{
    QStringList result;
    for (const ArchiveEntry &entry : entries) {
        const QString path = entry.path();
        if (entry.isAnti() || isUnsafe(path))
            result.append(path);
    }
    return result;
}
