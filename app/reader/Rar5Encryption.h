#pragma once

#include <set>
#include <string>
#include <vector>

// The members of a RAR 5 archive that carry an encryption record. libarchive
// 3.6 steps over that record and would hand out the ciphertext as the data.
std::set<std::string> rar5EncryptedMembers(const std::vector<std::string> &volumes);
