#include "app/reader/Rar5Encryption.h"

#include <cstdint>
#include <fstream>

namespace {

// A RAR 5 number: seven bits a byte, the high bit saying more follow.
bool number(const std::string &bytes, size_t &at, uint64_t &value)
{
    value = 0;
    for (int shift = 0; at < bytes.size() && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(bytes[at++]);
        value |= uint64_t(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

void scan(std::ifstream &file, std::set<std::string> &names)
{
    char signature[8];
    if (!file.read(signature, 8) || std::string(signature, 8) != std::string("Rar!\x1a\x07\x01\x00", 8))
        return;
    for (;;) {
        // CRC32, then the header's size in at most three bytes (2 MB).
        std::string size(7, '\0');
        if (!file.read(size.data(), 7))
            return;
        size_t at = 4;
        uint64_t length = 0;
        if (!number(size, at, length) || length == 0 || length > (2u << 20))
            return;
        std::string header(length, '\0');
        file.seekg(std::streamoff(at) - 7, std::ios::cur);
        if (!file.read(header.data(), std::streamsize(length)))
            return;
        at = 0;
        uint64_t type = 0, flags = 0, extra = 0, data = 0;
        if (!number(header, at, type) || !number(header, at, flags) || (flags & 1 && !number(header, at, extra))
            || (flags & 2 && !number(header, at, data)) || type == 5 || extra > length)
            return;
        if (type == 2 && extra) {
            uint64_t fileFlags = 0, skip = 0, nameLength = 0;
            if (!number(header, at, fileFlags) || !number(header, at, skip) || !number(header, at, skip))
                return;
            at += (fileFlags & 2 ? 4 : 0) + (fileFlags & 4 ? 4 : 0);
            if (!number(header, at, skip) || !number(header, at, skip) || !number(header, at, nameLength)
                || at + nameLength > length)
                return;
            std::string name = header.substr(at, nameLength);
            for (size_t record = length - extra; record < length;) {
                // Each record's size counts from its type on.
                uint64_t recordSize = 0, recordType = 0;
                if (!number(header, record, recordSize))
                    return;
                size_t inside = record;
                if (recordSize == 0 || !number(header, inside, recordType))
                    break;
                if (recordType == 1)
                    names.insert(name);
                record += recordSize;
            }
        }
        file.seekg(std::streamoff(data), std::ios::cur);
    }
}

} // namespace

std::set<std::string> rar5EncryptedMembers(const std::vector<std::string> &volumes)
{
    std::set<std::string> names;
    for (const std::string &volume : volumes) {
        std::ifstream file(volume, std::ios::binary);
        scan(file, names);
    }
    return names;
}
