#pragma once

#include <set>
#include <string>

// What the headers of one RAR volume say that libarchive 3.6 does not tell:
// which RAR 5 members carry an encryption record (it steps over the record
// and would hand out the ciphertext as the data), and whether the volume's
// end says another one follows (a set missing its last volumes lists
// without a word).
struct RarHeaders {
    std::set<std::string> encrypted;
    bool moreVolumes = false;

    static RarHeaders read(const std::string &path);
};
