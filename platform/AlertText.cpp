#include "platform/AlertText.h"

namespace AlertText {

namespace {

const QChar newline(u'\n');

qsizetype lineCount(const QString &text)
{
    qsizetype lines = text.count(newline);
    if (!text.isEmpty() && !text.endsWith(newline))
        ++lines;
    return lines;
}

// A cut never separates the two halves of a surrogate pair.
qsizetype cutBefore(const QString &text, qsizetype at)
{
    return at > 0 && at < text.size() && text.at(at).isLowSurrogate() ? at - 1 : at;
}

qsizetype cutAfter(const QString &text, qsizetype at)
{
    return at > 0 && at < text.size() && text.at(at).isLowSurrogate() ? at + 1 : at;
}

// End of the first `lines` whole lines within `chars`; a first line longer
// than that is cut inside.
qsizetype headEnd(const QString &text, int lines, qsizetype chars)
{
    qsizetype end = 0;
    for (int i = 0; i < lines; ++i) {
        const qsizetype next = text.indexOf(newline, end);
        if (next < 0 || next > chars)
            break;
        end = next + 1;
    }
    return end > 0 ? end - 1 : cutBefore(text, qMin(chars, text.size()));
}

// Start of the last `lines` whole lines within `chars` before `end`; a last
// line longer than that is cut inside.
qsizetype tailStart(const QString &text, qsizetype end, int lines, qsizetype chars)
{
    qsizetype start = end;
    bool taken = false;
    for (int i = 0; i < lines && !(taken && start == 0); ++i) {
        // Skip the line break in front of the lines already taken.
        const qsizetype from = taken ? start - 2 : end - 1;
        const qsizetype candidate = (from >= 0 ? text.lastIndexOf(newline, from) : -1) + 1;
        if (end - candidate > chars)
            break;
        start = candidate;
        taken = true;
    }
    return taken ? start : cutAfter(text, qMax<qsizetype>(0, end - chars));
}

QString joined(const QString &text, qsizetype headEnd, qsizetype tailStart, qsizetype tailEnd)
{
    return text.left(headEnd) + newline + QString::fromUtf16(elision) + newline
        + text.mid(tailStart, tailEnd - tailStart);
}

QString capped(const QString &text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    const qsizetype half = limit / 2;
    qsizetype first = text.lastIndexOf(newline, half);
    first = first > 0 ? first : cutBefore(text, half);
    qsizetype last = text.indexOf(newline, text.size() - half);
    last = last >= 0 && last + 1 < text.size() ? last + 1 : cutAfter(text, text.size() - half);
    return joined(text, first, last, text.size());
}

} // namespace

Bounded bound(const QString &text, const Limits &limits)
{
    if (text.size() <= limits.maxChars && lineCount(text) <= limits.maxLines)
        return {text, QString()};

    // A final line break ends the last line; it does not open an empty one.
    const qsizetype end = text.endsWith(newline) ? text.size() - 1 : text.size();
    const qsizetype head = headEnd(text, limits.headLines, limits.headChars);
    const qsizetype tail = qMax(head, tailStart(text, end, limits.tailLines, limits.tailChars));
    return {joined(text, head, tail, end), capped(text, limits.maxDetailChars)};
}

} // namespace AlertText
