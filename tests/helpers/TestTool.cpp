// Stand-in for the archiver in runner and engine tests: the first argument picks the behaviour.
// Started as "7zz" it records its arguments and environment in calls.log beside
// itself, then becomes the program CORVEX_REAL_TOOL names.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <unistd.h>

extern char **environ;

namespace {

void writeAll(int fd, const char *data, size_t size)
{
    for (ssize_t n; size > 0; data += n, size -= size_t(n)) {
        while ((n = write(fd, data, size)) < 0 && errno == EINTR) {
        }
        if (n <= 0)
            std::exit(90);
    }
}

void writeText(int fd, const std::string &text) { writeAll(fd, text.data(), text.size()); }

} // namespace

int main(int argc, char **argv)
{
    const std::string self = argv[0];
    const size_t slash = self.rfind('/');
    if (self.compare(slash + 1, std::string::npos, "7zz") == 0) {
        if (FILE *log = std::fopen((self.substr(0, slash + 1) + "calls.log").c_str(), "a")) {
            for (char **a = argv; *a; ++a)
                std::fprintf(log, "arg %s\n", *a);
            for (char **e = environ; *e; ++e)
                std::fprintf(log, "env %s\n", *e);
            std::fclose(log);
        }
        const char *real = std::getenv("CORVEX_REAL_TOOL");
        if (real)
            execv(real, argv);
        return 93;
    }
    const std::string mode = argc > 1 ? argv[1] : "";
    auto arg = [&](int i) -> std::string { return 2 + i < argc ? argv[2 + i] : std::string(); };

    if (mode == "exit") {               // exit N [TEXT to stdout]
        writeText(1, arg(1));
        return std::atoi(arg(0).c_str());
    }
    if (mode == "stderr") {             // stderr TEXT N
        writeText(2, arg(0));
        return std::atoi(arg(1).c_str());
    }
    if (mode == "alternate") {          // alternate N: "out i" / "err i" lines, in turn
        int n = std::atoi(arg(0).c_str());
        for (int i = 0; i < n; ++i)
            writeText(i % 2 ? 2 : 1, (i % 2 ? "err " : "out ") + std::to_string(i) + "\n");
        return 0;
    }
    if (mode == "flood") {              // flood MB: that many MiB of numbered lines
        long total = std::atol(arg(0).c_str()) * 1024 * 1024;
        std::string block;
        for (int i = 0; block.size() < 65536; ++i)
            block += "line " + std::to_string(i) + " of the flood, padded to a fair length\n";
        block.resize(65536);
        for (long written = 0; written < total; written += long(block.size()))
            writeAll(1, block.data(), size_t(std::min<long>(long(block.size()), total - written)));
        return 0;
    }
    if (mode == "hang") {               // hang PIDFILE: write the pid, then wait to be killed, ignoring SIGTERM
        std::signal(SIGTERM, SIG_IGN);
        if (FILE *f = std::fopen(arg(0).c_str(), "w")) {
            std::fprintf(f, "%d\n", int(getpid()));
            std::fclose(f);
        }
        writeText(1, "hanging\n");
        for (;;)
            pause();
    }
    if (mode == "cwd") {                // the working folder
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd))
            writeText(1, std::string("cwd=") + cwd + "\n");
        return 0;
    }
    if (mode == "fds") {                // open descriptors other than 0, 1 and 2
        DIR *dir = opendir("/proc/self/fd");
        if (!dir)
            return 91;
        int own = dirfd(dir);
        while (dirent *e = readdir(dir)) {
            int fd = std::atoi(e->d_name);
            if (e->d_name[0] != '.' && fd > 2 && fd != own)
                writeText(1, std::string(e->d_name) + "\n");
        }
        closedir(dir);
        return 0;
    }
    if (mode == "stdin") {              // what standard input gives
        char buf[256];
        ssize_t n = read(0, buf, sizeof buf);
        writeText(1, "read " + std::to_string(n) + "\n");
        return 0;
    }
    if (mode == "signal") {             // ends by SIGTERM after some output
        writeText(1, "terminated\n");
        std::raise(SIGTERM);
        return 0;
    }
    writeText(2, "unknown mode\n");
    return 64;
}
