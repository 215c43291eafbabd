#pragma once

#include "engine/TarHeader.h"

#include <QString>

// Looks inside a single compressed stream (gzip, xz, bzip2, zstd, Z, lzma):
// the tool decompresses it to its output, of which only the first block is
// read before the tool is stopped.
class TarProbe
{
public:
    static TarHeader::Kind firstBlock(const QString &tool, const QString &archive);

    // Whether a stream is read as a tar: a header says so whatever the
    // name ("backup.gz"); a name that says tar ("x.tar.gz", "x.tgz") does
    // unless the first block proves otherwise, so that an empty or damaged
    // one is told as such and not shown as one compressed file.
    static bool holdsTar(TarHeader::Kind firstBlock, const QString &archive);
    static bool nameSaysTar(const QString &archive);
};
