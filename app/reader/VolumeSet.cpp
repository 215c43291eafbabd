#include "app/reader/VolumeSet.h"

#include "app/reader/RarHeaders.h"

#include <cctype>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sys/stat.h>

namespace {

bool exists(const std::string &path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

bool endsWithNoCase(const std::string &text, const std::string &tail)
{
    if (text.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[text.size() - tail.size() + i])) != tail[i])
            return false;
    }
    return true;
}

std::string numbered(const std::string &prefix, unsigned number, size_t width, const std::string &suffix)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*u", int(width), number);
    return prefix + digits + suffix;
}

// The archive flags' "volume" bit, from the main header of RAR 4 or RAR 5.
bool saysVolume(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    unsigned char head[32] = {};
    file.read(reinterpret_cast<char *>(head), sizeof head);
    static const unsigned char rar4[] = {'R', 'a', 'r', '!', 0x1a, 0x07, 0x00};
    static const unsigned char rar5[] = {'R', 'a', 'r', '!', 0x1a, 0x07, 0x01, 0x00};
    if (std::equal(rar4, rar4 + 7, head))
        return head[9] == 0x73 && (head[10] & 0x01);
    if (!std::equal(rar5, rar5 + 8, head))
        return false;
    // CRC32, then size, type, flags (and the extra area size) as varints.
    size_t at = 12;
    auto varint = [&]() {
        unsigned long long value = 0;
        for (int shift = 0; at < sizeof head && shift < 64; shift += 7) {
            const unsigned char byte = head[at++];
            value |= (unsigned long long)(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                break;
        }
        return value;
    };
    varint();
    if (varint() != 1)
        return false;
    if (varint() & 0x01)
        varint();
    return varint() & 0x01;
}

} // namespace

VolumeSet VolumeSet::find(const std::string &path)
{
    VolumeSet set = findNamed(path);
    if (set.missing.empty() && set.volumes.size() + !set.nextName().empty() > 1
        && RarHeaders::read(set.volumes.back()).moreVolumes)
        set.missing = set.m_next;
    return set;
}

VolumeSet VolumeSet::findNamed(const std::string &path)
{
    VolumeSet set;
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const bool rar = endsWithNoCase(path, ".rar");

    // "x.partN.rar": the number's width is kept.
    if (rar) {
        const size_t end = path.size() - 4;
        size_t digits = end;
        while (digits > nameStart && std::isdigit(static_cast<unsigned char>(path[digits - 1])))
            --digits;
        if (digits < end && digits >= nameStart + 5 && endsWithNoCase(path.substr(0, digits), ".part")) {
            const std::string prefix = path.substr(0, digits);
            const std::string suffix = path.substr(end);
            const size_t width = end - digits;
            const unsigned given = unsigned(std::stoul(path.substr(digits, std::min<size_t>(width, 9))));
            for (unsigned n = 1; n < 100000; ++n) {
                set.m_next = numbered(prefix, n, width, suffix);
                if (!exists(set.m_next)) {
                    if (n <= given)
                        set.missing = set.m_next;
                    break;
                }
                set.volumes.push_back(set.m_next);
            }
            return set;
        }
    }

    // "x.rar" followed by "x.r00", "x.r01"…, from any of them.
    const bool numberedOld = !rar && path.size() >= nameStart + 5
                             && endsWithNoCase(path.substr(0, path.size() - 2), ".r")
                             && std::isdigit(static_cast<unsigned char>(path[path.size() - 1]))
                             && std::isdigit(static_cast<unsigned char>(path[path.size() - 2]));
    if (!rar && !numberedOld) {
        set.volumes.push_back(path);
        return set;
    }
    const std::string stem = path.substr(0, path.size() - 4);
    const std::string r = path.substr(path.size() - 4, 2);     // ".r" or ".R", as given
    const std::string first = rar ? path : stem + (r == ".R" ? ".RAR" : ".rar");
    if (!exists(first)) {
        set.missing = first;
        return set;
    }
    set.volumes.push_back(first);
    for (unsigned n = 0; n < 100; ++n) {
        set.m_next = numbered(stem + r, n, 2, "");
        if (!exists(set.m_next)) {
            if (numberedOld && set.m_next < path)
                set.missing = set.m_next;
            break;
        }
        set.volumes.push_back(set.m_next);
    }
    return set;
}

std::string VolumeSet::nextName() const
{
    return !volumes.empty() && saysVolume(volumes.front()) ? m_next : std::string();
}
