#include "engine/PathScreen.h"

namespace {

// `at(i)` gives the i-th code unit as a char16_t. A million-member listing
// is screened as it loads, so nothing is copied.
template <typename At>
bool unsafe(qsizetype size, At at)
{
    auto slash = [&](qsizetype i) { return i >= 0 && i < size && (at(i) == u'/' || at(i) == u'\\'); };
    if (slash(0))
        return true;
    for (qsizetype i = 0; i + 1 < size; ++i) {
        if (at(i) == u'.' && at(i + 1) == u'.' && (slash(i - 1) || slash(i + 2)))
            return true;
    }
    // A drive letter: only ASCII letters count.
    if (size >= 2 && at(1) == u':') {
        const char16_t c = at(0);
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    }
    return false;
}

} // namespace

bool PathScreen::isUnsafe(QStringView path)
{
    return unsafe(path.size(), [path](qsizetype i) { return path[i].unicode(); });
}

bool PathScreen::isUnsafe(QByteArrayView path)
{
    // Bytes of multi-byte sequences are never ASCII, as no decoded character is.
    return unsafe(path.size(), [path](qsizetype i) { return char16_t(uchar(path[i])); });
}

bool PathScreen::linkLeadsOut(QByteArrayView member, QByteArrayView target)
{
    if (target.isEmpty())
        return false;
    if (isUnsafe(target.first(1)) || (target.size() >= 2 && target[1] == ':' && isUnsafe(target.first(2))))
        return true;
    // Folders below the destination: the link's own, then each step of the target.
    qsizetype depth = -1;
    bool out = false;
    const auto walk = [&depth, &out](QByteArrayView path) {
        for (qsizetype start = 0; start <= path.size();) {
            qsizetype end = start;
            while (end < path.size() && path[end] != '/' && path[end] != '\\')
                ++end;
            const QByteArrayView part = path.sliced(start, end - start);
            if (part == "..")
                out |= --depth < 0;
            else if (!part.isEmpty() && part != ".")
                ++depth;
            start = end + 1;
        }
    };
    walk(member);
    walk(target);
    return out;
}

Screening PathScreen::screen(const std::vector<ArchiveEntry> &entries, const NameRecovery &names)
{
    Screening found;
    found.names = names;
    for (const ArchiveEntry &entry : entries) {
        if (entry.isAnti())
            found.antiItems.append(entry.path());
        else if (isUnsafe(entry.pathUtf8()) || entry.flags().linkOut
                 || (names.hasOldNames() && names.isUnsafe(entry.path())))
            found.unsafePaths.append(entry.path());
    }
    return found;
}
