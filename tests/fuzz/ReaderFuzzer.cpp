// libFuzzer entry: corvex-reader's read loop lists, tests and extracts any
// input without a crash, and extraction writes inside its folder only;
// the RAR header walk reads any file.
#include "app/reader/RarHeaders.h"
#include "app/reader/ReadLoop.h"
#include "app/reader/SafeWriter.h"

#include <archive.h>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int removeOne(const char *path, const struct stat *, int, struct FTW *)
{
    return ::remove(path);
}

// The names in `folder` other than "." and "..".
int entries(const std::string &folder)
{
    DIR *dir = ::opendir(folder.c_str());
    int count = 0;
    while (dirent *entry = dir ? ::readdir(dir) : nullptr)
        count += std::string(entry->d_name) != "." && std::string(entry->d_name) != "..";
    if (dir)
        ::closedir(dir);
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static char rootName[] = "/tmp/corvex-reader-fuzz-XXXXXX";
    static const std::string root = ::mkdtemp(rootName);
    static const std::string out = root + "/out";
    static std::FILE *sink = std::fopen("/dev/null", "w");
    ::mkdir(out.c_str(), 0700);
    // The reader's own walk over RAR headers reads the file itself.
    if (std::FILE *file = std::fopen((out + "/input.rar").c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
        RarHeaders::read(out + "/input.rar");
        ::unlink((out + "/input.rar").c_str());
    }
    for (ReadLoop::Mode mode : {ReadLoop::Mode::List, ReadLoop::Mode::Test, ReadLoop::Mode::Extract}) {
        archive *reader = ReadLoop::newReader();
        ReadLoop loop(reader, mode, sink, sink);
        loop.describe(int64_t(size), "input", "input");
        if (archive_read_open_memory(reader, data, size) != ARCHIVE_OK) {
            loop.openFailed();
        } else if (mode == ReadLoop::Mode::Extract) {
            SafeWriter writer(out);
            loop.setWriter(&writer);
            loop.run();
            writer.finish();
        } else {
            loop.run();
        }
        archive_read_free(reader);
    }
    if (entries(root) != 1) {
        std::fprintf(stderr, "property broken: something was written beside the output folder\n");
        std::abort();
    }
    ::nftw(out.c_str(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
    return 0;
}
