#pragma once

#include "ArchiveEntry.h"

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
    void feed(QByteArrayView chunk);
    std::vector<ArchiveEntry> finish();

    static std::vector<ArchiveEntry> parse(QByteArrayView text);

private:
    enum Field { Path, Size, Packed, Modified, Folder, FieldCount };

    // Consumes whole lines from m_buffer; at the end of the text the rest
    // is a line of its own.
    void consume(bool atEnd);
    void line(const char *begin, const char *end);
    void finishEntry();
    void clearPending();

    std::string m_buffer;
    size_t m_offset = 0;
    bool m_inMembers = false;
    std::string m_pending[FieldCount];
    bool m_has[FieldCount] = {};
    std::vector<ArchiveEntry> m_entries;
};
