#pragma once
// Properties every listing keeps whatever bytes it holds, shared by the fuzzer and by the regression test
// over the inputs it found. Each check returns an empty text when it holds, else what went wrong.
#include "engine/ListingParser.h"
#include "engine/PathScreen.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace ListingProperties {

inline std::vector<ArchiveEntry> parseInChunks(ListingParser &parser, QByteArrayView text,
                                               const std::vector<qsizetype> &sizes)
{
    for (qsizetype at = 0, next = 0; at < text.size(); at += sizes[size_t(next++) % sizes.size()])
        parser.feed(text.sliced(at, std::min(sizes[size_t(next) % sizes.size()], text.size() - at)));
    return parser.finish();
}

// Chunk sizes picked from the text itself, so every input replays alike: mostly tiny pieces, which cut
// keys, line breaks and UTF-8 sequences.
inline std::vector<qsizetype> chunkSizesFor(QByteArrayView text)
{
    uint64_t state = 0x9E3779B97F4A7C15ull ^ uint64_t(text.size());
    for (char c : text)
        state = (state ^ uint8_t(c)) * 0x100000001B3ull;
    std::vector<qsizetype> sizes;
    for (int i = 0; i < 16; ++i) {
        state = (state ^ (state >> 33)) * 0xFF51AFD7ED558CCDull;
        state ^= state >> 29;
        sizes.push_back(i % 4 == 3 ? qsizetype(state % 4096) + 1 : qsizetype(state % 7) + 1);
    }
    return sizes;
}

// Byte by byte (short texts only: slow under the fuzzer), then in random pieces through the same parser,
// which must be reusable after finish().
inline QString chunkedAgreesWithWhole(QByteArrayView text, const std::vector<ArchiveEntry> &whole)
{
    ListingParser parser;
    for (const auto &sizes : {std::vector<qsizetype>{text.size() <= 1024 ? 1 : text.size()}, chunkSizesFor(text)}) {
        const std::vector<ArchiveEntry> chunked = parseInChunks(parser, text, sizes);
        const auto diff = std::mismatch(whole.begin(), whole.end(), chunked.begin(), chunked.end());
        if (diff.first != whole.end() || diff.second != chunked.end())
            return QStringLiteral("in chunks of %1..: %2 entries against %3 whole, first difference at %4")
                .arg(sizes[0]).arg(chunked.size()).arg(whole.size()).arg(diff.first - whole.begin());
    }
    return QString();
}

// False when the path, backslashes taken as slashes, could leave its folder.
inline bool staysInside(const QString &path)
{
    QString n = path;
    n.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (n.startsWith(QLatin1Char('/'))
        || (n.size() >= 2 && n.at(1) == QLatin1Char(':') && n.at(0).unicode() < 0x80 && n.at(0).isLetter()))
        return false;
    int depth = 0;
    for (const QString &part : n.split(QLatin1Char('/'))) {
        depth += part == QLatin1String("..") ? -1 : !part.isEmpty() && part != QLatin1String(".");
        if (depth < 0)
            return false;
    }
    return true;
}

inline QString screenIsSound(const QString &path)
{
    const bool unsafe = PathScreen::isUnsafe(path);
    if (unsafe && !path.contains(QLatin1Char('/')) && !path.contains(QLatin1Char('\\')) && !path.contains(QLatin1Char(':')))
        return QStringLiteral("flagged a plain name: ") + path;
    if (PathScreen::isUnsafe(QString(path).replace(QLatin1Char('\\'), QLatin1Char('/'))) != unsafe)
        return QStringLiteral("backslash and slash forms disagree: ") + path;
    // A member named ".." alone is the destination's parent itself, which no extraction writes as a file.
    if (!unsafe && path != QLatin1String("..") && !staysInside(path))
        return QStringLiteral("passed a path that leaves its folder: ") + path;
    return QString();
}

inline QString allHold(QByteArrayView text)
{
    const std::vector<ArchiveEntry> whole = ListingParser::parse(text);
    QString problem = chunkedAgreesWithWhole(text, whole);
    for (size_t i = 0; problem.isEmpty() && i < whole.size(); ++i)
        problem = screenIsSound(whole[i].path());
    // Every line as a path too: parsed paths alone seldom get odd enough.
    for (const QByteArray &line : text.toByteArray().split('\n')) {
        if (problem.isEmpty())
            problem = screenIsSound(QString::fromUtf8(line));
    }
    return problem;
}

} // namespace ListingProperties
