#include "engine/TarHeader.h"

#include <algorithm>

namespace {

constexpr qsizetype kChecksumAt = 148;
constexpr qsizetype kChecksumSize = 8;

// The checksum field: octal digits, maybe after spaces, ended by NUL or space.
bool storedChecksum(QByteArrayView block, long &value)
{
    qsizetype i = kChecksumAt;
    const qsizetype end = kChecksumAt + kChecksumSize;
    while (i < end && block[i] == ' ')
        ++i;
    const qsizetype digits = i;
    value = 0;
    for (; i < end && block[i] >= '0' && block[i] <= '7'; ++i)
        value = value * 8 + (block[i] - '0');
    return i > digits && (i == end || block[i] == '\0' || block[i] == ' ');
}

} // namespace

TarHeader::Kind TarHeader::classify(QByteArrayView block)
{
    if (block.size() < kBlockSize)
        return Kind::Short;
    block = block.first(kBlockSize);
    if (std::all_of(block.begin(), block.end(), [](char c) { return c == '\0'; }))
        return Kind::Zeros;
    if (block.sliced(257, 5) == QByteArrayView("ustar"))
        return Kind::Header;
    long stored = 0;
    if (!storedChecksum(block, stored))
        return Kind::Other;
    // The sum of the block's bytes, the field's own counted as spaces.
    long sum = 8 * ' ';
    for (qsizetype i = 0; i < kBlockSize; ++i) {
        if (i < kChecksumAt || i >= kChecksumAt + kChecksumSize)
            sum += static_cast<unsigned char>(block[i]);
    }
    return stored == sum ? Kind::Header : Kind::Other;
}
