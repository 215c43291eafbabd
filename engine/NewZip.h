#pragma once

#include <QString>
#include <functional>

// A new ZIP is written under a temporary name beside where it goes, and
// moved there only when the writing succeeded. The tool given an existing
// ZIP would add to it, and given a link would replace the link: so it only
// ever writes a fresh file, and a failure leaves nothing behind.
namespace NewZip {

// Writes the ZIP at the path it is given; throws on failure.
using Writer = std::function<void(const QString &path)>;

// The window: the user confirmed replacing `zip`; whatever is there (a
// link included) is replaced in one step. Throws what `write` throws, or
// SystemError.
void writeReplacing(const QString &zip, const Writer &write);
// The command line: nothing is replaced; the ZIP takes the first free
// name from `zip` on ("report 2.zip" …), taken at the moment of the move.
// Returns where it went.
QString writeBeside(const QString &zip, const Writer &write);

// The temporary name beside `zip`: hidden, unique, short, and ending in
// ".zip" since the tool appends that to names without an extension.
QString temporaryNameFor(const QString &zip);

} // namespace NewZip
