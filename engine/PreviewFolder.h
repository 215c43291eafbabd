#pragma once

#include <QString>

// Where a previewed member is unpacked for another application to open: a
// new folder only its owner can enter (0700), in the user's runtime folder
// when there is one (private, and emptied at log-out), else in the
// temporary folder.
namespace PreviewFolder {

// Makes the folder; throws SystemError.
QString create();
// The folder it is made in.
QString base();

} // namespace PreviewFolder
