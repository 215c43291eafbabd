#pragma once

#include <QByteArrayView>
#include <vector>

// Natural-order keys that compare as bytes: letters case-folded (ASCII
// directly, the rest through full case folding), each run of digits as a
// marker, its length without leading zeros and those digits, and '/' as the
// lowest byte so that a folder's members follow it before any sibling that
// extends its name.
namespace NaturalKey {

void append(QByteArrayView text, std::vector<char> &key);

} // namespace NaturalKey
