#include "engine/ProgressParser.h"

#include <QString>

namespace {

// A progress text is short; a longer run is an ordinary line and is dropped
// rather than kept whole.
constexpr qsizetype kLongestText = 4096;

bool isDelimiter(char c)
{
    return c == '\b' || c == '\n' || c == '\r';
}

} // namespace

std::optional<OperationProgress> ProgressParser::parseText(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const qsizetype digits = i;
    int percent = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - digits < 3)
        percent = percent * 10 + (text[i++] - '0');
    if (i == digits || i >= text.size() || text[i] != '%' || percent > 100)
        return std::nullopt;
    ++i;

    OperationProgress progress;
    progress.percent = percent;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const qsizetype countStart = i;
    qint64 items = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - countStart < 18)
        items = items * 10 + (text[i++] - '0');
    progress.items = items;
    while (i < text.size() && text[i] == ' ')
        ++i;
    // An operation letter, a space, then the name as printed.
    if (i + 2 < text.size() && text[i + 1] == ' ')
        progress.name = QString::fromUtf8(text.sliced(i + 2));
    return progress;
}

std::optional<OperationProgress> ProgressParser::feed(QByteArrayView chunk)
{
    std::optional<OperationProgress> latest;
    qsizetype start = 0;
    for (qsizetype i = 0; i < chunk.size(); ++i) {
        if (!isDelimiter(chunk[i]))
            continue;
        QByteArrayView text = chunk.sliced(start, i - start);
        if (m_skipping) {
            text = {};
            m_skipping = false;
        } else if (!m_pending.isEmpty()) {
            m_pending.append(text);
            text = m_pending;
        }
        if (auto progress = parseText(text))
            latest = std::move(progress);
        m_pending.clear();
        start = i + 1;
    }
    if (start == chunk.size() || m_skipping)
        return latest;
    if (m_pending.size() + (chunk.size() - start) <= kLongestText) {
        m_pending.append(chunk.sliced(start));
    } else {
        m_pending.clear();
        m_skipping = true;
    }
    return latest;
}
