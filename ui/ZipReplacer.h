#pragma once

#include <QString>
#include <QStringList>

class ArchiveEngine;

// Writes a new ZIP at a location that may already hold a file. The archiver
// would add to an existing archive; the user asked to replace it. So the ZIP
// is written under a fresh name beside the old file and moved over it only
// when the archiver succeeded: the result holds exactly the given inputs, and
// a failure leaves the old file as it was.
namespace ZipReplacer {
// Throws what the engine throws, or SystemError when the move fails.
void createZip(const ArchiveEngine &engine, const QString &zip, const QStringList &inputs);
// The temporary name used beside `zip`; it ends in ".zip" since the archiver
// appends that to names without an extension.
QString temporaryNameFor(const QString &zip);
}
