#include "app/reader/SafeWriter.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string systemError(const char *what, const std::string &name, int error)
{
    return std::string("Cannot ") + what + " : errno=" + std::to_string(error) + " : " + std::strerror(error)
           + " : " + name;
}

std::string joined(const std::vector<std::string> &names)
{
    std::string path;
    for (const std::string &name : names)
        path += (path.empty() ? "" : "/") + name;
    return path;
}

void setTime(int dir, const char *name, time_t mtime)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {mtime, 0}};
    ::utimensat(dir, name, times, AT_SYMLINK_NOFOLLOW);
}

} // namespace

SafeWriter::SafeWriter(const std::string &root)
    : m_root(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
}

SafeWriter::~SafeWriter()
{
    if (m_cachedFd >= 0)
        ::close(m_cachedFd);
    if (m_root >= 0)
        ::close(m_root);
}

std::vector<std::string> SafeWriter::split(const std::string &path)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string name = path.substr(start, end - start);
        if (name == "..")
            return {};
        if (!name.empty() && name != ".")
            names.push_back(name);
        start = end + 1;
    }
    return names;
}

int SafeWriter::parent(const std::vector<std::string> &names, bool create, std::string &error)
{
    const std::vector<std::string> wanted(names.begin(), names.end() - 1);
    if (m_cachedFd >= 0 && wanted == m_cachedPath)
        return m_cachedFd;
    if (m_root < 0) {
        error = systemError("open output directory", ".", EBADF);
        return -1;
    }
    int fd = ::dup(m_root);
    for (size_t i = 0; i < wanted.size() && fd >= 0; ++i) {
        int next = ::openat(fd, wanted[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT && create) {
            if (::mkdirat(fd, wanted[i].c_str(), 0755) == 0 || errno == EEXIST)
                next = ::openat(fd, wanted[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        if (next < 0) {
            // ELOOP or ENOTDIR: a link or a file stands where a folder goes.
            error = systemError("create folder", joined({wanted.begin(), wanted.begin() + long(i) + 1}), errno);
        }
        ::close(fd);
        fd = next;
    }
    if (fd < 0)
        return -1;
    if (m_cachedFd >= 0)
        ::close(m_cachedFd);
    m_cachedFd = fd;
    m_cachedPath = wanted;
    return fd;
}

// Clears the way for a new file or link of that name: an earlier file or
// link goes (a member may come twice), a folder stays and is an error.
std::string SafeWriter::replaceable(int dir, const std::string &name)
{
    struct stat info;
    if (::fstatat(dir, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    if (S_ISDIR(info.st_mode))
        return systemError("open output file", name, EISDIR);
    if (::unlinkat(dir, name.c_str(), 0) != 0)
        return systemError("open output file", name, errno);
    return {};
}

std::string SafeWriter::folder(const std::string &path, mode_t mode, time_t mtime)
{
    std::vector<std::string> names = split(path);
    std::string error;
    const int dir = parent(names, true, error);
    if (dir < 0)
        return error;
    // Always open to its owner, who must be able to move and remove it.
    if (::mkdirat(dir, names.back().c_str(), (mode & 0777) | 0700) != 0) {
        struct stat info;
        if (errno != EEXIST || ::fstatat(dir, names.back().c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISDIR(info.st_mode))
            return systemError("create folder", path, errno == EEXIST ? ENOTDIR : errno);
    }
    m_folders.push_back({std::move(names), mtime});
    return {};
}

std::string SafeWriter::createFile(const std::string &path, int &fd)
{
    fd = -1;
    const std::vector<std::string> names = split(path);
    std::string error;
    const int dir = parent(names, true, error);
    if (dir < 0)
        return error;
    if (error = replaceable(dir, names.back()); !error.empty())
        return error;
    fd = ::openat(dir, names.back().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    return fd < 0 ? systemError("open output file", path, errno) : std::string();
}

std::string SafeWriter::finishFile(int fd, mode_t mode, time_t mtime)
{
    // Never set-user or set-group: only the permission bits are kept.
    ::fchmod(fd, mode & 0777);
    const struct timespec times[2] = {{0, UTIME_OMIT}, {mtime, 0}};
    ::futimens(fd, times);
    return ::close(fd) == 0 ? std::string() : systemError("close output file", "", errno);
}

void SafeWriter::discard(const std::string &path)
{
    const std::vector<std::string> names = split(path);
    std::string error;
    const int dir = names.empty() ? -1 : parent(names, false, error);
    if (dir >= 0)
        ::unlinkat(dir, names.back().c_str(), 0);
}

std::string SafeWriter::symlink(const std::string &path, const std::string &target, time_t mtime)
{
    const std::vector<std::string> names = split(path);
    std::string error;
    const int dir = parent(names, true, error);
    if (dir < 0)
        return error;
    if (error = replaceable(dir, names.back()); !error.empty())
        return error;
    if (::symlinkat(target.c_str(), dir, names.back().c_str()) != 0)
        return systemError("create symbolic link", path, errno);
    setTime(dir, names.back().c_str(), mtime);
    return {};
}

std::string SafeWriter::copyOf(const std::string &path, const std::string &existing, mode_t mode, time_t mtime)
{
    const std::vector<std::string> from = split(existing);
    if (from.empty())
        return systemError("create hard link", path, EINVAL);
    std::string error;
    int dir = parent(from, false, error);
    if (dir < 0)
        return error;
    const int source = ::openat(dir, from.back().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info;
    if (source < 0 || ::fstat(source, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int code = source < 0 ? errno : EINVAL;
        if (source >= 0)
            ::close(source);
        return systemError("create hard link", path, code);
    }
    int target = -1;
    error = createFile(path, target);
    char buffer[65536];
    for (ssize_t n; error.empty() && (n = ::read(source, buffer, sizeof buffer)) != 0;) {
        if (n < 0 || ::write(target, buffer, size_t(n)) != n)
            error = systemError("create hard link", path, errno);
    }
    ::close(source);
    if (target >= 0) {
        const std::string closing = finishFile(target, mode, mtime);
        if (error.empty())
            error = closing;
    }
    return error;
}

void SafeWriter::finish()
{
    // Inner folders last in, first done: their parents' times stay.
    for (auto it = m_folders.rbegin(); it != m_folders.rend(); ++it) {
        std::string error;
        const int dir = parent(it->names, false, error);
        if (dir >= 0)
            setTime(dir, it->names.back().c_str(), it->mtime);
    }
}
