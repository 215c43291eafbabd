#pragma once

#include <QString>
#include <QStringList>

class ArchiveEngine;
class Desktop;

// The one-shot mode that file-manager actions start: the program path, one
// option ("-corvexextracthere", "-corvexextractfolder" or "-add2archive", in
// any letter case), then the items. It does its one operation, reveals the
// result or shows an alert, and prints nothing.
namespace CommandLineMode {

// True when the arguments asked for an operation, whatever its outcome;
// false when there was nothing to do and nothing was shown.
bool handleCommandLine(const QStringList &arguments, const ArchiveEngine &engine, Desktop &desktop);

// Path rules, on absolute paths.

// An argument as an absolute path: relative to the current folder, without
// "." components, repeated or trailing slashes. Symbolic links and ".." are
// left for the system to resolve.
QString absoluteItemPath(const QString &argument);
// The text after the last '.' of the last component; a name that starts
// with its only dot (".profile") has none.
QString lastExtension(const QString &path);
QString withoutLastExtension(const QString &path);
QString parentFolder(const QString &path);
// Extract to Folder: beside the archive, named after it less its last extension.
QString extractFolderFor(const QString &archive);
// Compress to ZIP: beside the first item.
QString zipDestinationFor(const QString &firstItem);
// Creates the folder and any missing parents; an existing folder is fine.
// Throws SystemError with the system's reason.
void createFolder(const QString &path);

} // namespace CommandLineMode
