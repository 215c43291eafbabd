#pragma once

#include "engine/ArchiveEntry.h"
#include "engine/Operation.h"

#include <QByteArrayView>
#include <QStringList>
#include <QStringView>
#include <vector>

// Purely textual test of member paths that could land outside the folder
// they are extracted into: absolute paths, ".." next to a slash (backslashes
// count as slashes), and a leading drive letter.
namespace PathScreen {
bool isUnsafe(QStringView path);
// The same on the listing's UTF-8 bytes, without decoding them.
bool isUnsafe(QByteArrayView path);
// A link at `member` to `target` (both as listed) that resolves, as text,
// outside the folder it is extracted into: absolute, or ".." past the top.
bool linkLeadsOut(QByteArrayView member, QByteArrayView target);
// The unsafe paths, and apart the anti-items (which delete what they name),
// as listed and in listing order; the file's identity is the caller's.
// Decoded names are checked as decoded and as the tool has them.
Screening screen(const std::vector<ArchiveEntry> &entries, const NameRecovery &names = {});
}
