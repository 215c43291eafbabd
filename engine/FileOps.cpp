#include "engine/FileOps.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileOps {

Fd::~Fd()
{
    if (m_fd >= 0)
        ::close(m_fd);
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

void removeTree(int parent, const char *name)
{
    if (::unlinkat(parent, name, 0) == 0 || errno == ENOENT)
        return;
    const Fd folder(openOwnFolder(parent, name));
    if (folder.get() < 0)
        return;
    for (const QByteArray &child : namesIn(folder.get()))
        removeTree(folder.get(), child.constData());
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

} // namespace FileOps
