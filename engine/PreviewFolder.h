#pragma once

#include <QString>

// Where a previewed member is unpacked for another application to open: a
// new folder only its owner can enter (0700), in the user's runtime folder
// when there is one (private, and emptied at log-out), else in the
// temporary folder.
namespace PreviewFolder {

// Makes the folder; throws SystemError. Its name holds the process id:
// a later start can tell the folders of a process that is gone.
QString create();
// Removes a folder create() made, and all in it; false when something stayed.
bool remove(const QString &folder);
// Removes the preview folders that processes now gone left behind.
void removeLeftovers();
// The folder it is made in.
QString base();

} // namespace PreviewFolder
