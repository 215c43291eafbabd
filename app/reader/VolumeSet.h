#pragma once

#include <string>
#include <vector>

// The files a RAR volume set is made of, found from any one of them:
// "x.part1.rar", "x.part2.rar"… or "x.rar", "x.r00", "x.r01"…. Any other
// name is a set of one.
struct VolumeSet {
    std::vector<std::string> volumes;
    // The first volume that should be there and is not, else empty: one
    // before the last found, or the one the last found says follows it.
    std::string missing;

    static VolumeSet find(const std::string &path);
    // The name the volume after the last one found would have, when the
    // first says it is a volume: what to name when the data runs out.
    std::string nextName() const;

private:
    // The set by its names alone.
    static VolumeSet findNamed(const std::string &path);

    // The volume after the last one found, whether or not one is expected.
    std::string m_next;
};
