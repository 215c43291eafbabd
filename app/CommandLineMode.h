#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class ArchiveEngine;
class Desktop;

// The one-shot mode that file-manager actions start: the program path, one
// option ("-corvexextracthere", "-corvexextractfolder", "-add2archive" or
// "-compress", which asks how first, in any letter case), then the items. It does that operation (on every
// archive given), reveals the results, shows one alert for whatever went
// wrong, and prints nothing.
namespace CommandLineMode {

// The exit status when the arguments asked for operations: 0 when all of
// them succeeded, 1 when any was refused, failed or was cancelled, or when
// no item or an empty one was given. Nothing without one of the options.
std::optional<int> handleCommandLine(const QStringList &arguments, const ArchiveEngine &engine, Desktop &desktop);

// An argument as an absolute path: relative to the current folder, without
// "." components, repeated or trailing slashes; up to its last "..", what
// the system reaches there. Other links stay as they are.
QString absoluteItemPath(const QString &argument);

} // namespace CommandLineMode
