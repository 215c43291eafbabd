#include "engine/ListingParser.h"

#include "engine/PathScreen.h"

#include <array>
#include <cstring>
#include <string_view>

namespace {

using uchar = unsigned char;

// What is trimmed from both ends of a line: tab, the space separators of
// Unicode, and the other line-break characters (CR of a CR LF, U+000B,
// U+000C, U+0085, U+2028, U+2029). Returns the byte length at p, or 0.
int spaceAt(const uchar *p, const uchar *end)
{
    const ptrdiff_t left = end - p;
    switch (p[0]) {
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x20:
        return 1;
    case 0xC2:
        return left >= 2 && (p[1] == 0xA0 || p[1] == 0x85) ? 2 : 0;     // U+00A0, U+0085
    case 0xE1:
        return left >= 3 && p[1] == 0x9A && p[2] == 0x80 ? 3 : 0;         // U+1680
    case 0xE2:
        if (left < 3)
            return 0;
        if (p[1] == 0x80 && ((p[2] >= 0x80 && p[2] <= 0x8A) || p[2] == 0xA8 || p[2] == 0xA9 || p[2] == 0xAF))
            return 3;                                                       // U+2000..200A, U+2028/9, U+202F
        return p[1] == 0x81 && p[2] == 0x9F ? 3 : 0;                       // U+205F
    case 0xE3:
        return left >= 3 && p[1] == 0x80 && p[2] == 0x80 ? 3 : 0;         // U+3000
    default:
        return 0;
    }
}

int spaceBefore(const uchar *begin, const uchar *end)
{
    const uchar last = end[-1];
    if (last == 0x09 || last == 0x20 || (last >= 0x0A && last <= 0x0D))
        return 1;
    if (last < 0x80)
        return 0;
    if (end - begin >= 2 && spaceAt(end - 2, end) == 2)
        return 2;
    if (end - begin >= 3 && spaceAt(end - 3, end) == 3)
        return 3;
    return 0;
}

} // namespace

void ListingParser::feed(QByteArrayView chunk)
{
    if (chunk.isEmpty())
        return;
    if (m_buffer.empty()) {
        // The usual case: lines straight from the chunk, only a partial last
        // line is copied.
        const size_t used = scan(reinterpret_cast<const uchar *>(chunk.data()), size_t(chunk.size()), false);
        m_buffer.assign(chunk.data() + used, size_t(chunk.size()) - used);
        m_scanned = m_scanned >= used ? m_scanned - used : 0;
        return;
    }
    m_buffer.append(chunk.data(), size_t(chunk.size()));
    const size_t used = scan(reinterpret_cast<const uchar *>(m_buffer.data()), m_buffer.size(), false);
    m_buffer.erase(0, used);
    m_scanned -= used;
}

std::vector<ArchiveEntry> ListingParser::finish()
{
    scan(reinterpret_cast<const uchar *>(m_buffer.data()), m_buffer.size(), true);
    finishEntry();
    m_buffer.clear();
    m_scanned = 0;
    m_inMembers = false;
    m_zip = false;
    return std::exchange(m_entries, {});
}

std::vector<ArchiveEntry> ListingParser::parse(QByteArrayView text)
{
    ListingParser parser;
    parser.feed(text);
    return parser.finish();
}

size_t ListingParser::scan(const uchar *data, size_t size, bool atEnd)
{
    const uchar *const end = data + size;
    const uchar *lineStart = data;
    // Bytes of a partial line already looked at by an earlier call.
    const uchar *p = data + std::min(m_scanned, size);
    // The tool ends every line with LF and prints every other line-break
    // character of a member's name or comment as it is, so only LF ends a
    // line: a name holding CR or U+2028 must not inject a line of its own.
    while (p < end) {
        const auto *lf = static_cast<const uchar *>(std::memchr(p, '\n', size_t(end - p)));
        if (!lf) {
            p = end;
            break;
        }
        line(lineStart, lf);
        p = lf + 1;
        lineStart = p;
    }
    if (atEnd) {
        line(lineStart, end);
        m_scanned = 0;
        return size;
    }
    m_scanned = size_t(p - data);
    return size_t(lineStart - data);
}

void ListingParser::line(const uchar *begin, const uchar *end)
{
    while (begin < end) {
        const int n = spaceAt(begin, end);
        if (n == 0)
            break;
        begin += n;
    }
    // Most lines are fields that are not kept, and their first byte says so;
    // of the many keys starting with 'A', "Anti" is kept and "Attributes"
    // looked at in place.
    if (begin < end) {
        switch (*begin) {
        case 'P':
        case 'S':
        case 'M':
        case 'F':
        case 'E':
        case '-':
        case 'C':
        case 'T':
            break;
        case 'A':
            if (end - begin < 2 || begin[1] != 'n') {
                attributes(begin, end);
                return;
            }
            break;
        default:
            return;
        }
    }
    while (end > begin) {
        const int n = spaceBefore(begin, end);
        if (n == 0)
            break;
        end -= n;
    }
    const std::string_view text(reinterpret_cast<const char *>(begin), size_t(end - begin));

    if (text == "----------") {
        m_inMembers = true;
        clearPending();
        return;
    }
    if (!m_inMembers) {
        if (text == "Type = zip")
            m_zip = true;
        return;
    }
    if (text.empty()) {
        finishEntry();
        return;
    }
    const size_t split = text.find(" = ");
    if (split == std::string_view::npos)
        return;
    const std::string_view key = text.substr(0, split);
    const std::string_view value = text.substr(split + 3);
    Field field = Path;
    bool *flag = nullptr;
    if (key == "Path")
        field = Path;
    else if (key == "Size")
        field = Size;
    else if (key == "Packed Size" && m_packedSizes)
        field = Packed;
    else if (key == "Modified")
        field = Modified;
    else if (key == "Folder")
        flag = &m_flags.folder;
    else if (key == "Anti")
        flag = &m_flags.anti;
    else if (key == "Encrypted")
        flag = &m_flags.encrypted;
    else if (key == "Symbolic Link") {
        m_linkTarget.assign(value.data(), value.size());
        return;
    } else if (key == "Characteristics") {
        m_utf8Name = value.find("UTF8") != std::string_view::npos;
        return;
    } else {
        return;
    }
    if (flag) {
        *flag = value == "+";
        return;
    }
    m_pending[field].assign(value.data(), value.size());
    m_has[field] = true;
}

// A 7z listing has no "Folder" key: a folder has "D" among the attribute
// letters before the Unix mode ("Attributes = D drwxr-xr-x").
void ListingParser::attributes(const uchar *begin, const uchar *end)
{
    static constexpr std::string_view key = "Attributes = ";
    if (size_t(end - begin) <= key.size() || std::memcmp(begin, key.data(), key.size()) != 0)
        return;
    for (const uchar *p = begin + key.size(); p < end && *p != ' '; ++p) {
        if (*p == 'D') {
            m_flags.folder = true;
            return;
        }
    }
}

void ListingParser::finishEntry()
{
    if (m_inMembers && m_has[Path] && !m_pending[Path].empty()) {
        auto view = [this](Field f) {
            return m_has[f] ? QByteArrayView(m_pending[f].data(), qsizetype(m_pending[f].size()))
                            : QByteArrayView();
        };
        m_flags.codePageName = m_zip && !m_utf8Name;
        m_flags.linkOut = PathScreen::linkLeadsOut(
            view(Path), QByteArrayView(m_linkTarget.data(), qsizetype(m_linkTarget.size())));
        m_entries.push_back(ArchiveEntry::fromUtf8(view(Path), view(Size), view(Packed), view(Modified), m_flags));
    }
    clearPending();
}

void ListingParser::clearPending()
{
    for (bool &has : m_has)
        has = false;
    m_linkTarget.clear();
    m_flags = {};
    m_utf8Name = false;
}
