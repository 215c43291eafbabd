#pragma once

#include "engine/NewArchiveOptions.h"
#include "engine/Operation.h"

#include <QStringList>
#include <optional>
#include <span>
#include <vector>

// The decisions behind a new archive, as data and plain functions: the
// formats and their names, which options each format takes (and the
// sentence why not), the volume sizes, and the names that are free.
namespace CreationRules {

struct FormatRow {
    NewFormat format;
    const char *label;       // shown in the dialog
    const char *extension;   // without the dot
    const char *aliases;     // other extensions that name it, space-separated
    bool compresses;
    bool encrypts;           // takes a password
    bool hidesNames;         // can encrypt its names
    bool stores;             // can store files uncompressed
};
std::span<const FormatRow> formats();
const FormatRow &row(NewFormat format);

// The format a file name's known extension names, if any (".tgz" too).
std::optional<NewFormat> formatOfName(const QString &name);
// The length of the name without a known extension: what the dialog selects.
qsizetype stemLength(const QString &name);
// The name with its known extension, if any, replaced by the format's.
QString withFormat(const QString &name, NewFormat format);
// As Compress to ZIP names its ZIP: a folder's name, a file's without its
// extension (unless that is the format's own), then the format's extension.
QString proposedName(const QString &item, NewFormat format);
// Why a typed name cannot be used; empty when it can.
QString nameProblem(const QString &name);

// Why `format` cannot take the option; empty when it can.
QString passwordRefusal(NewFormat format);
QString encryptNamesRefusal(NewFormat format, bool hasPassword);
QString levelRefusal(NewFormat format, NewLevel level);
// Why the tool could not use `password` for `format`; empty when it can.
QString passwordProblem(NewFormat format, const QString &password);

// The preset volume sizes, in bytes, and typed sizes: "700 MB", "1.5 GB",
// "640k"; a bare number is megabytes. Units are decimal.
std::span<const qint64> volumePresets();
std::optional<qint64> parseVolumeSize(const QString &text);
QString volumeSizeText(qint64 bytes);
constexpr qint64 kSmallestVolume = 100'000;

// The n-th volume's path ("NAME.001"); its first is what opens the set.
QString volumePath(const QString &archive, int n);
// The file that stands for the new archive: itself, or its first volume.
QString openedPath(const QString &archive, qint64 volumeBytes);
// Whether `archive` (or, with volumes, its first volume) exists already.
bool taken(const QString &archive, qint64 volumeBytes);
// Keep Both: the first name of the series "report 2.7z" … not taken.
QString freeName(const QString &archive, qint64 volumeBytes);

// The requests that carry out a choice: one archive, or one per item.
std::vector<OperationRequest> requests(const QStringList &items, const NewArchiveChoice &choice);

} // namespace CreationRules
