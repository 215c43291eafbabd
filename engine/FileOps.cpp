#include "engine/FileOps.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileOps {

void Fd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

int newPrivateFolder(const QString &parent, const QByteArray &prefix, QString &made)
{
    QByteArray pattern = QFile::encodeName(parent) + '/' + prefix + "XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return errno;
    made = QFile::decodeName(pattern);
    return 0;
}

int openFolder(const QByteArray &path)
{
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    int fd = ::open(path.constData(), kFlags);
    if (fd >= 0 || errno != ENAMETOOLONG)
        return fd;
    fd = AT_FDCWD;
    for (qsizetype start = 0; start < path.size();) {
        qsizetype end = path.size();
        if (end - start >= PATH_MAX) {
            end = path.lastIndexOf('/', start + PATH_MAX - 1);
            if (end <= start) {   // one name longer than any
                if (fd != AT_FDCWD)
                    ::close(fd);
                errno = ENAMETOOLONG;
                return -1;
            }
        }
        const int next = ::openat(fd, path.mid(start, end - start).constData(), kFlags);
        if (fd != AT_FDCWD)
            ::close(fd);
        if (next < 0)
            return -1;
        fd = next;
        start = end + 1;
    }
    return fd;
}

int renameNoReplace(int fromFolder, const char *from, int toFolder, const char *to)
{
    if (::renameat2(fromFolder, from, toFolder, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // A file system without RENAME_NOREPLACE: look, then move. The window
    // between the two is the best such a file system allows.
    struct stat status;
    if (::fstatat(toFolder, to, &status, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::renameat(fromFolder, from, toFolder, to);
}

std::vector<QByteArray> namesIn(int folder)
{
    std::vector<QByteArray> names;
    const int fd = ::dup(folder);
    DIR *dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        return names;
    }
    ::rewinddir(dir);   // the duplicate shares its position with `folder`
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

int openOwnFolder(int parent, const char *name)
{
    int fd = ::openat(parent, name, kOpenFolder);
    // fchmodat follows links, but a link would have failed with ELOOP.
    if (fd < 0 && errno == EACCES && ::fchmodat(parent, name, S_IRWXU, 0) == 0)
        fd = ::openat(parent, name, kOpenFolder);
    if (fd >= 0)
        ::fchmod(fd, S_IRWXU);
    return fd;
}

bool removeTree(int parent, const char *name)
{
    if (::unlinkat(parent, name, 0) == 0 || errno == ENOENT)
        return true;
    // One descriptor at a time, whatever the depth: a level is left for
    // its child and entered again through "..", checked to be the same
    // folder. A level keeps only the names it has still to remove.
    struct Level {
        dev_t device;
        ino_t inode;
        std::vector<QByteArray> names;
        size_t next = 0;
        bool complete = true;
    };
    std::vector<Level> levels;
    const auto enter = [&levels](int fd) {
        struct stat status;
        if (fd < 0 || ::fstat(fd, &status) != 0)
            return false;
        levels.push_back({status.st_dev, status.st_ino, namesIn(fd)});
        return true;
    };
    int fd = openOwnFolder(parent, name);
    if (!enter(fd)) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    bool complete = true;
    while (fd >= 0) {
        Level &level = levels.back();
        if (level.next < level.names.size()) {
            const char *const child = level.names[level.next++].constData();
            if (::unlinkat(fd, child, 0) == 0 || errno == ENOENT || ::unlinkat(fd, child, AT_REMOVEDIR) == 0)
                continue;
            const int childFd = openOwnFolder(fd, child);
            if (!enter(childFd)) {
                if (childFd >= 0)
                    ::close(childFd);
                level.complete = false;
                continue;
            }
            ::close(fd);
            fd = childFd;
            // Entered again after the child, this name is tried once more.
            --levels[levels.size() - 2].next;
            continue;
        }
        const bool emptied = level.complete;
        levels.pop_back();
        if (levels.empty()) {
            ::close(fd);
            fd = -1;
            complete = emptied;
            break;
        }
        const int up = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = up;
        struct stat status;
        if (fd < 0 || ::fstat(fd, &status) != 0 || status.st_dev != levels.back().device
            || status.st_ino != levels.back().inode) {
            // Moved away meanwhile: what is left stays.
            if (fd >= 0)
                ::close(fd);
            return false;
        }
        // A child that could not be emptied is not entered again.
        if (!emptied) {
            ++levels.back().next;
            levels.back().complete = false;
        }
    }
    return complete && ::unlinkat(parent, name, AT_REMOVEDIR) == 0;
}

bool walkTree(int folder, const Visitor &visit)
{
    struct Level {
        dev_t device;
        ino_t inode;
        std::vector<QByteArray> names;
        size_t next = 0;
    };
    std::vector<Level> levels;
    QByteArray path;
    bool complete = true;
    const auto enter = [&levels](int fd) {
        struct stat status;
        if (fd < 0 || ::fstat(fd, &status) != 0)
            return false;
        levels.push_back({status.st_dev, status.st_ino, namesIn(fd)});
        return true;
    };
    int fd = ::openat(folder, ".", kOpenFolder);
    if (!enter(fd)) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    while (fd >= 0) {
        Level &level = levels.back();
        if (level.next < level.names.size()) {
            const QByteArray &name = level.names[level.next++];
            struct stat status;
            if (::fstatat(fd, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            const QByteArray childPath = path.isEmpty() ? name : path + '/' + name;
            visit(fd, name.constData(), childPath, status);
            if (!S_ISDIR(status.st_mode))
                continue;
            const int child = openOwnFolder(fd, name.constData());
            if (!enter(child)) {
                if (child >= 0)
                    ::close(child);
                complete = false;
                continue;
            }
            ::close(fd);
            fd = child;
            path = childPath;
            continue;
        }
        levels.pop_back();
        const int up = levels.empty() ? -1 : ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = up;
        if (levels.empty())
            break;
        struct stat status;
        // Moved away meanwhile: the rest is not looked at.
        if (fd < 0 || ::fstat(fd, &status) != 0 || status.st_dev != levels.back().device
            || status.st_ino != levels.back().inode) {
            if (fd >= 0)
                ::close(fd);
            return false;
        }
        path.truncate(std::max<qsizetype>(path.lastIndexOf('/'), 0));
    }
    return complete;
}

namespace {
thread_local std::vector<QByteArray> *t_found = nullptr;
thread_local qsizetype t_skip = 0;

int noteSpecial(const char *path, const struct stat *status, int type, FTW *)
{
    if (type == FTW_F && !S_ISREG(status->st_mode))
        t_found->push_back(QByteArray(path + t_skip));
    return 0;
}
} // namespace

std::vector<QByteArray> specialFilesIn(const QByteArray &path)
{
    std::vector<QByteArray> found;
    QByteArray start = path;
    while (start.size() > 1 && start.endsWith('/'))
        start.chop(1);
    t_found = &found;
    t_skip = start.lastIndexOf('/') + 1;
    // FTW_PHYS: links are reported as links, not followed; at most 16 folders open at once.
    ::nftw(start.constData(), noteSpecial, 16, FTW_PHYS);
    t_found = nullptr;
    return found;
}

} // namespace FileOps
