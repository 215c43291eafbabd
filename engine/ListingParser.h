#pragma once

#include "engine/ArchiveEntry.h"

#include <QByteArrayView>
#include <string>
#include <vector>

// Turns the tool's technical listing ("7zz l -slt") into entries. It can be
// fed while the tool still writes: feed() takes chunks cut anywhere, and
// finish() ends the text. One pass over the bytes; nothing is allocated per
// line once the scratch buffers have grown.
class ListingParser
{
public:
    // `packedSizes` false leaves the packed column empty: a tar read from a
    // stream gives 0 for every member, which is no size of its own.
    explicit ListingParser(bool packedSizes = true) : m_packedSizes(packedSizes) {}

    void feed(QByteArrayView chunk);
    std::vector<ArchiveEntry> finish();
    // Members completed so far.
    size_t entryCount() const { return m_entries.size(); }
    const std::vector<ArchiveEntry> &entries() const { return m_entries; }

    static std::vector<ArchiveEntry> parse(QByteArrayView text);

private:
    enum Field { Path, Size, Packed, Modified, FieldCount };

    // Handles the whole lines of [data, data + size) and returns how many
    // bytes they took; at the end of the text the rest is a line of its own.
    size_t scan(const unsigned char *data, size_t size, bool atEnd);
    void line(const unsigned char *begin, const unsigned char *end);
    void attributes(const unsigned char *begin, const unsigned char *end);
    void finishEntry();
    void clearPending();

    // A partial line carried over to the next chunk.
    std::string m_buffer;
    size_t m_scanned = 0;
    bool m_inMembers = false;
    bool m_packedSizes = true;
    std::string m_pending[FieldCount];
    bool m_has[FieldCount] = {};
    // "Symbolic Link" (tar, cpio): the screen looks at it, the entry keeps only its verdict.
    std::string m_linkTarget;
    ArchiveEntry::Flags m_flags;
    bool m_zip = false;
    bool m_utf8Name = false;
    std::vector<ArchiveEntry> m_entries;
};
