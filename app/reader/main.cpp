// corvex-reader: lists, tests and extracts the archives Corvex's archive
// tool cannot read, with libarchive, in a process of its own so that a
// hostile archive cannot take the window down with it.
//
//   corvex-reader l|t|x [-i@LIST] [--] ARCHIVE
//
// "x" extracts into the folder it is started in; LIST names the members to
// take, one a line (a pair of double quotes around a line is taken off).
// Exit status: 0 done, 2 an error, 7 a wrong command line, 8 no memory.
#include "app/reader/ReadLoop.h"
#include "app/reader/SafeWriter.h"
#include "app/reader/VolumeSet.h"

#include <archive.h>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

int usage(const char *problem)
{
    std::fprintf(stderr, "Command Line Error:\n%s\nUsage: corvex-reader l|t|x [-i@LIST] [--] ARCHIVE\n", problem);
    return 7;
}

bool readMembers(const std::string &file, std::vector<std::string> &members)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    for (std::string line; std::getline(in, line);) {
        if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
            line = line.substr(1, line.size() - 2);
        if (!line.empty())
            members.push_back(line);
    }
    return true;
}

// The member name of a file that is only compressed: "notes.txt.lz4" holds
// "notes.txt".
std::string rawName(const std::string &archive)
{
    const size_t slash = archive.rfind('/');
    std::string name = archive.substr(slash == std::string::npos ? 0 : slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name + "~" : name.substr(0, dot);
}

} // namespace

int main(int argc, char **argv)
{
    // Names are read and written as UTF-8, whatever the caller's locale.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::signal(SIGPIPE, SIG_IGN);
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);

    if (argc < 3 || std::strlen(argv[1]) != 1 || !std::strchr("ltx", argv[1][0]))
        return usage("Unknown command.");
    const char command = argv[1][0];
    std::vector<std::string> members;
    int i = 2;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            ++i;
            break;
        }
        if (std::strncmp(argv[i], "-i@", 3) != 0 || command != 'x')
            return usage("Unknown switch.");
        if (!readMembers(argv[i] + 3, members))
            return usage("Cannot read the list of members.");
    }
    if (i != argc - 1)
        return usage("One archive, please.");
    const std::string path = argv[i];

    const VolumeSet set = VolumeSet::find(path);
    if (!set.missing.empty()) {
        std::fprintf(stderr, "ERROR: %s : Missing volume : %s\n", path.c_str(), set.missing.c_str());
        return 2;
    }
    std::vector<const char *> names;
    int64_t total = 0;
    for (const std::string &volume : set.volumes) {
        struct stat info;
        if (::stat(volume.c_str(), &info) == 0)
            total += info.st_size;
        names.push_back(volume.c_str());
    }
    names.push_back(nullptr);

    const ReadLoop::Mode mode = command == 'l' ? ReadLoop::Mode::List
                                : command == 't' ? ReadLoop::Mode::Test
                                                 : ReadLoop::Mode::Extract;
    archive *reader = ReadLoop::newReader();
    ReadLoop loop(reader, mode, stdout, stderr);
    loop.describe(total, path, rawName(path));
    loop.setNextVolume(set.nextName());
    loop.setVolumes(set.volumes);
    loop.choose(members);
    int status = 0;
    if (archive_read_open_filenames(reader, names.data(), 1 << 17) != ARCHIVE_OK) {
        status = loop.openFailed();
    } else if (mode == ReadLoop::Mode::Extract) {
        SafeWriter writer(".");
        loop.setWriter(&writer);
        status = loop.run();
        writer.finish();
    } else {
        status = loop.run();
    }
    archive_read_free(reader);
    return status;
}
