#include "ui/EntryFilter.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

bool isAscii(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
}

char foldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// Looked at between blocks of rows: often enough to stop within a
// millisecond, rarely enough to cost nothing.
constexpr size_t kRowsPerCheck = 16384;

} // namespace

EntryFilter::EntryFilter(const std::vector<ArchiveEntry> &entries)
{
    m_starts.reserve(entries.size() + 1);
    size_t total = 0;
    for (const ArchiveEntry &entry : entries)
        total += size_t(entry.pathUtf8().size()) + 1;
    m_text.reserve(total);
    m_starts.push_back(0);
    for (const ArchiveEntry &entry : entries) {
        const QByteArrayView path = entry.pathUtf8();
        if (isAscii(path)) {
            for (char c : path)
                m_text.push_back(foldAscii(c));
        } else {
            // Invalid UTF-8 reads as U+FFFD here, as in the table.
            const QByteArray folded = QString::fromUtf8(path).toCaseFolded().toUtf8();
            m_text.insert(m_text.end(), folded.begin(), folded.end());
        }
        m_text.push_back('\0');
        m_starts.push_back(m_text.size());
    }
}

QByteArray EntryFilter::fold(const QString &text)
{
    QByteArray folded = text.toCaseFolded().toUtf8();
    folded.replace('\0', QByteArray());
    return folded;
}

std::vector<quint32> EntryFilter::find(const QByteArray &needle, const Abandon &abandon) const
{
    std::vector<quint32> found;
    if (needle.isEmpty()) {
        found.resize(size());
        for (size_t i = 0; i < found.size(); ++i)
            found[i] = quint32(i);
        return found;
    }
    // One scan of the whole buffer (memmem is far quicker than a search per
    // path); a hit is mapped to its path by the path starts, which only
    // move forward. A needle holds no NUL, so no hit spans two paths.
    const char *text = m_text.data();
    const size_t length = m_text.size();
    size_t from = 0;
    size_t row = 0;
    size_t nextCheck = kRowsPerCheck;
    while (from < length) {
        const void *hit = ::memmem(text + from, length - from, needle.constData(), size_t(needle.size()));
        if (!hit)
            break;
        const size_t at = size_t(static_cast<const char *>(hit) - text);
        row = size_t(std::upper_bound(m_starts.begin() + qsizetype(row), m_starts.end(), at) - m_starts.begin()) - 1;
        found.push_back(quint32(row));
        from = m_starts[row + 1];
        if (row >= nextCheck) {
            nextCheck = row + kRowsPerCheck;
            if (abandon && abandon())
                return {};
        }
    }
    return found;
}

std::vector<quint32> EntryFilter::narrow(const QByteArray &needle, const std::vector<quint32> &rows,
                                         const Abandon &abandon) const
{
    std::vector<quint32> found;
    const std::string_view wanted(needle.constData(), size_t(needle.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const QByteArrayView p = path(rows[i]);
        if (std::string_view(p.data(), size_t(p.size())).find(wanted) != std::string_view::npos)
            found.push_back(rows[i]);
        if (i % kRowsPerCheck == kRowsPerCheck - 1 && abandon && abandon())
            return {};
    }
    return found;
}
