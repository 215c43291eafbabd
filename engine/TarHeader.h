#pragma once

#include <QByteArrayView>

// Whether a stream holds a tar, from its first 512-byte block alone: a tar
// starts with a header ("ustar" at offset 257, or an old header whose
// checksum holds), an empty tar with a block of zeros. Short: the stream
// ended, or failed, before a whole block.
class TarHeader
{
public:
    static constexpr qsizetype kBlockSize = 512;
    enum class Kind { Header, Zeros, Other, Short };

    static Kind classify(QByteArrayView block);
};
