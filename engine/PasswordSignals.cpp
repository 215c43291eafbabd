#include "engine/PasswordSignals.h"

#include <array>

namespace {

// Where a refusal text stands.
enum class Place {
    // Leads an error line: "ERROR: TEXT : MEMBER".
    Message,
    // About the whole archive: "ERROR: ARCHIVE : TEXT" (l), or "ERROR:
    // ARCHIVE" with TEXT alone on the next line (x, t).
    Archive,
};
struct Refusal {
    QByteArrayView text;
    Place place;
};

// The refusals of this tool version, matched by prefix. Damage under the
// right password reads the same, except ZIP's "Wrong password".
const std::array<Refusal, 4> table{{
    // ZIP: the password check failed.
    {PasswordSignals::kWrongPassword, Place::Message},
    // 7z data; or a ZipCrypto password that passed its one-byte check by
    // chance (1 in 256), the member then failing decompression or its CRC.
    {"Data Error in encrypted file. Wrong password?", Place::Message},
    {"CRC Failed in encrypted file. Wrong password?", Place::Message},
    // 7z with encrypted names.
    {"Cannot open encrypted archive. Wrong password?", Place::Archive},
}};

constexpr QByteArrayView errorMark("ERROR: ");
constexpr QByteArrayView separator(" : ");

QByteArrayView trimmedRight(QByteArrayView line)
{
    while (!line.isEmpty() && line.back() == ' ')
        line.chop(1);
    return line;
}

// "… : TEXT", the archive's own error on one line.
bool endsWithReason(QByteArrayView message, QByteArrayView text)
{
    return message.endsWith(text) && message.chopped(text.size()).endsWith(separator);
}

} // namespace

QByteArrayView PasswordSignals::prompt()
{
    return QByteArrayView("Enter password (will not be echoed):");
}

void PasswordSignals::feed(QByteArrayView chunk)
{
    for (const char c : chunk) {
        switch (c) {
        case '\n':
            endLine();
            break;
        case '\b':
            if (m_cursor > 0)
                --m_cursor;
            break;
        default:
            if (m_cursor < m_line.size())
                m_line[m_cursor] = c;
            else if (m_line.size() < kLineLimit)
                m_line.append(c);
            else
                m_lineCut = true;
            ++m_cursor;
        }
    }
}

void PasswordSignals::endLine()
{
    const QByteArrayView line = trimmedRight(m_line);
    const bool afterError = m_afterError;
    m_afterError = line.startsWith(errorMark);

    // The archive's block after the prompt: the password opened its encrypted names, so it is right.
    m_proven |= m_asked && line == "--";
    m_asked |= line.startsWith(prompt());
    for (const Refusal &refusal : table) {
        // Damaged data under a proven password reads as a wrong one, but is damage.
        if (m_proven && refusal.text.contains("Wrong password?") && refusal.place == Place::Message)
            continue;
        if (m_afterError) {
            const QByteArrayView message = line.sliced(errorMark.size());
            m_refused |= refusal.place == Place::Message ? message.startsWith(refusal.text)
                                                         : !m_lineCut && endsWithReason(message, refusal.text);
        } else if (afterError) {
            m_refused |= refusal.place == Place::Archive && line.startsWith(refusal.text);
        }
    }
    m_line.clear();
    m_cursor = 0;
    m_lineCut = false;
}

bool PasswordSignals::asked() const
{
    return m_asked || trimmedRight(m_line).startsWith(prompt());
}

PasswordSignals::Verdict PasswordSignals::verdict(int status) const
{
    if (status == 0)
        return Verdict::None;
    if (m_refused)
        return Verdict::Wrong;
    return asked() && status == 255 ? Verdict::Needed : Verdict::None;
}

PasswordSignals::Verdict PasswordSignals::read(int status, QByteArrayView output)
{
    PasswordSignals reader;
    reader.feed(output);
    reader.endLine();
    return reader.verdict(status);
}
