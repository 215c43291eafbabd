#pragma once

#include "ListingParser.h"
#include "PathScreen.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

// Properties every listing must keep, whatever bytes it holds. Shared by the
// fuzzer and by the regression test over the inputs the fuzzer found. Each
// check returns an empty text when it holds, else what went wrong.
namespace ListingProperties {

inline std::vector<ArchiveEntry> parseInChunks(ListingParser &parser, QByteArrayView text,
                                               const std::vector<qsizetype> &sizes)
{
    qsizetype at = 0;
    size_t next = 0;
    while (at < text.size()) {
        const qsizetype size = std::max<qsizetype>(1, sizes[next++ % sizes.size()]);
        const qsizetype take = std::min(size, text.size() - at);
        parser.feed(text.sliced(at, take));
        at += take;
    }
    return parser.finish();
}

// Chunk sizes picked from the text itself, so that every input replays alike.
inline std::vector<qsizetype> chunkSizesFor(QByteArrayView text)
{
    uint64_t state = 0x9E3779B97F4A7C15ull ^ uint64_t(text.size());
    for (char c : text)
        state = (state ^ uint8_t(c)) * 0x100000001B3ull;
    std::vector<qsizetype> sizes;
    for (int i = 0; i < 16; ++i) {
        state ^= state >> 33;
        state *= 0xFF51AFD7ED558CCDull;
        state ^= state >> 29;
        // Mostly tiny pieces, which cut keys, breaks and UTF-8 sequences.
        sizes.push_back(i % 4 == 3 ? qsizetype(state % 4096) + 1 : qsizetype(state % 7) + 1);
    }
    return sizes;
}

inline QString describe(const std::vector<ArchiveEntry> &a, const std::vector<ArchiveEntry> &b)
{
    if (a.size() != b.size())
        return QStringLiteral("%1 entries against %2").arg(a.size()).arg(b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        if (!(a[i] == b[i]))
            return QStringLiteral("entry %1 differs: \"%2\" against \"%3\"").arg(i).arg(a[i].path(), b[i].path());
    }
    return QString();
}

// Byte by byte (short texts only: it is slow under the fuzzer), then in
// random pieces through the same parser, which must be reusable after
// finish().
inline QString chunkedAgreesWithWhole(QByteArrayView text, const std::vector<ArchiveEntry> &whole)
{
    ListingParser parser;
    if (text.size() <= 1024) {
        const QString problem = describe(whole, parseInChunks(parser, text, {1}));
        if (!problem.isEmpty())
            return QStringLiteral("byte by byte: ") + problem;
    } else {
        parser.feed(text.first(1024));
        parser.finish();
    }
    const QString problem = describe(whole, parseInChunks(parser, text, chunkSizesFor(text)));
    if (!problem.isEmpty())
        return QStringLiteral("random chunks: ") + problem;
    return QString();
}

// Where the path leads when its components are taken one by one, with
// backslashes as separators: false when it could leave its folder.
inline bool staysInside(const QString &path)
{
    QString n = path;
    n.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (n.startsWith(QLatin1Char('/')))
        return false;
    if (n.size() >= 2 && n.at(1) == QLatin1Char(':') && n.at(0).unicode() < 0x80 && n.at(0).isLetter())
        return false;
    int depth = 0;
    for (const QString &part : n.split(QLatin1Char('/'))) {
        if (part == QLatin1String(".."))
            --depth;
        else if (!part.isEmpty() && part != QLatin1String("."))
            ++depth;
        if (depth < 0)
            return false;
    }
    return true;
}

inline QString screenIsSound(const QString &path)
{
    const bool unsafe = PathScreen::isUnsafe(path);
    // Nothing without a separator or a colon is ever flagged.
    if (unsafe && !path.contains(QLatin1Char('/')) && !path.contains(QLatin1Char('\\'))
        && !path.contains(QLatin1Char(':')))
        return QStringLiteral("flagged a plain name: ") + path;
    // Backslashes count as slashes.
    QString slashed = path;
    slashed.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (PathScreen::isUnsafe(slashed) != unsafe)
        return QStringLiteral("backslash and slash forms disagree: ") + path;
    // Everything that passes stays inside. A member named ".." alone is the
    // destination's parent itself, which no extraction writes as a file.
    if (!unsafe && path != QLatin1String("..") && !staysInside(path))
        return QStringLiteral("passed a path that leaves its folder: ") + path;
    return QString();
}

inline QString allHold(QByteArrayView text)
{
    const std::vector<ArchiveEntry> whole = ListingParser::parse(text);
    QString problem = chunkedAgreesWithWhole(text, whole);
    if (!problem.isEmpty())
        return problem;
    for (const ArchiveEntry &entry : whole) {
        problem = screenIsSound(entry.path());
        if (!problem.isEmpty())
            return problem;
    }
    // Every line as a path too: parsed paths alone seldom get odd enough.
    for (QByteArrayView rest = text; !rest.isEmpty();) {
        const qsizetype end = rest.indexOf('\n');
        const QByteArrayView line = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        problem = screenIsSound(QString::fromUtf8(line));
        if (!problem.isEmpty())
            return problem;
    }
    return QString();
}

} // namespace ListingProperties
