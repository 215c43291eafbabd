#include "engine/ChangeRules.h"

#include "engine/FileNames.h"

#include <QCoreApplication>

namespace ChangeRules {

bool within(const QString &path, const QString &member)
{
    return path == member || (path.startsWith(member) && path.at(member.size()) == QLatin1Char('/'));
}

QString renamed(const QString &member, const QString &newName)
{
    const qsizetype slash = member.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? newName : member.left(slash + 1) + newName;
}

QString renameProblem(const QSet<QString> &paths, const QString &member, const QString &newName)
{
    const auto refuse = [](const char *sentence) { return QCoreApplication::translate("ChangeRules", sentence); };
    if (newName.trimmed().isEmpty())
        return refuse(QT_TRANSLATE_NOOP("ChangeRules", "A name cannot be empty."));
    if (newName.contains(QLatin1Char('/')))
        return refuse(QT_TRANSLATE_NOOP("ChangeRules", "A name cannot contain “/”."));
    if (newName == QLatin1String(".") || newName == QLatin1String(".."))
        return refuse(QT_TRANSLATE_NOOP("ChangeRules", "“.” and “..” cannot be used as names."));
    if (newName.contains(QLatin1Char('\n')) || newName.contains(QLatin1Char('\r')) || newName.contains(QChar(0)))
        return refuse(QT_TRANSLATE_NOOP("ChangeRules", "A name cannot contain a line break."));
    const QString path = renamed(member, newName);
    if (path != member && paths.contains(path))
        return QCoreApplication::translate("ChangeRules", "“%1” already exists in this folder.").arg(newName);
    return QString();
}

QString keptName(const QSet<QString> &taken, const QString &path, bool isFolder)
{
    for (int n = 2;; ++n) {
        const QString candidate = FileNames::numberedName(path, n, isFolder);
        if (!taken.contains(candidate))
            return candidate;
    }
}

bool holdsExactly(const QSet<QString> &after, const QSet<QString> &expected)
{
    for (const QString &path : expected) {
        if (!after.contains(path))
            return false;
    }
    for (const QString &path : after) {
        if (expected.contains(path))
            continue;
        // A folder the change implied ("x" of a member renamed to "x/y") is
        // fine; any other extra member is not.
        bool implied = false;
        for (const QString &wanted : expected)
            implied = implied || wanted.startsWith(path + QLatin1Char('/'));
        if (!implied)
            return false;
    }
    return true;
}

} // namespace ChangeRules
