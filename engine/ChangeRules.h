#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// The names a change of an archive may use, and what its listing must
// hold afterwards. Paths are the archive's, "a/b", without a trailing '/'.
namespace ChangeRules {

// `path` is `member` or lies inside it.
bool within(const QString &path, const QString &member);
// `member` with its last component replaced by `newName`.
QString renamed(const QString &member, const QString &newName);
// Empty when `member` may be called `newName` among `paths`; else the
// sentence saying why not.
QString renameProblem(const QSet<QString> &paths, const QString &member, const QString &newName);
// `path` numbered ("notes 2.txt") to the first name not in `taken`.
QString keptName(const QSet<QString> &taken, const QString &path, bool isFolder);
// Whether `after` holds exactly `expected`; folders the tool lists only
// by their contents do not count.
bool holdsExactly(const QSet<QString> &after, const QSet<QString> &expected);

} // namespace ChangeRules
