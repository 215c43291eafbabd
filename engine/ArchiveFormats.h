#pragma once

#include "engine/Operation.h"

#include <QByteArray>
#include <QFlags>
#include <QString>
#include <QStringList>
#include <span>
#include <vector>

// Which program reads a format. A new reader is an enumerator here, its
// program's file name in ArchiveFormats::programName(), and its argument
// lists in ToolPlans; its formats are rows of the table naming it.
// Corvex is corvex-reader (app/reader/), on libarchive: what 7zz lacks.
enum class Reader { SevenZip, Corvex };

// What Corvex can do with a format.
enum class Capability { List = 1, Test = 2, Extract = 4, Update = 8, Create = 16 };
Q_DECLARE_FLAGS(Capabilities, Capability)
Q_DECLARE_OPERATORS_FOR_FLAGS(Capabilities)

// Bytes a file of the format holds at an offset.
struct Signature {
    qint64 offset = 0;
    QByteArray bytes;
};

// One row of the format table.
struct ArchiveFormat {
    // For sentences, with its article, untranslated ("a ZIP archive"): see
    // ArchiveFormats::described().
    const char *described;
    // Lower case, without the dot.
    QStringList extensions;
    std::vector<Signature> signatures;
    Reader reader = Reader::SevenZip;
    Capabilities can;
    // One compressed stream (gzip, xz…), which may hold a tar.
    bool compressedStream = false;
};

// The formats Corvex knows, as data. Adding a format is adding a row to the
// table in ArchiveFormats.cpp (and its German text in translations/); the
// window enables its actions from the row and the engine refuses what the
// row does not allow, in words.
namespace ArchiveFormats {

std::span<const ArchiveFormat> table();
// What the tool decides for itself: a file no row claims.
const ArchiveFormat &other();

// The row of an open file: by its signature first (a 7z named .zip is a
// 7z), else by the extension of `path`, else other(). `fd` is read with
// pread only.
const ArchiveFormat &identify(const QString &path, int fd);
const ArchiveFormat &byExtension(const QString &path);

QString described(const ArchiveFormat &format);
// What `kind` needs of a format.
Capability needed(OperationKind kind);
// Empty when `format` allows `capability`; else the sentence saying it
// does not ("Corvex can't change a RAR archive.").
QString refusal(const ArchiveFormat &format, Capability capability);

QString programName(Reader reader);

} // namespace ArchiveFormats
