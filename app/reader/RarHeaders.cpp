#include "app/reader/RarHeaders.h"

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

// RAR 4: blocks of CRC16, type, flags and size, and the data's size after
// them when the flags' top bit says so.
void scan4(std::ifstream &file, RarHeaders &headers)
{
    for (;;) {
        unsigned char head[36] = {};
        const std::streamoff start = file.tellg();
        if (!file.read(reinterpret_cast<char *>(head), 7))
            return;
        const unsigned type = head[2], flags = head[3] | head[4] << 8, size = head[5] | head[6] << 8;
        if (size < 7)
            return;
        if (type == 0x7B) {
            headers.moreVolumes = flags & 0x0001;
            return;
        }
        uint64_t data = 0;
        if (flags & 0x8000) {
            file.read(reinterpret_cast<char *>(head) + 7, type == 0x74 && (flags & 0x100) ? 29 : 4);
            data = head[7] | head[8] << 8 | head[9] << 16 | uint64_t(head[10]) << 24;
            if (type == 0x74 && (flags & 0x100))
                data |= uint64_t(head[32] | head[33] << 8 | head[34] << 16 | uint64_t(head[35]) << 24) << 32;
        }
        file.clear();
        file.seekg(start + std::streamoff(size) + std::streamoff(data));
    }
}

void scan5(std::ifstream &file, RarHeaders &headers)
{
    std::set<std::string> &names = headers.encrypted;
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
            || (flags & 2 && !number(header, at, data)) || extra > length)
            return;
        if (type == 5) {
            uint64_t end = 0;
            headers.moreVolumes = number(header, at, end) && (end & 1);
            return;
        }
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

RarHeaders RarHeaders::read(const std::string &path)
{
    RarHeaders headers;
    std::ifstream file(path, std::ios::binary);
    char signature[8] = {};
    file.read(signature, 8);
    if (std::string(signature, 8) == std::string("Rar!\x1a\x07\x01\x00", 8)) {
        scan5(file, headers);
    } else if (std::string(signature, 7) == std::string("Rar!\x1a\x07\x00", 7)) {
        file.clear();
        file.seekg(7);
        scan4(file, headers);
    }
    return headers;
}
