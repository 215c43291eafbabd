#pragma once

#include <QByteArray>
#include <QString>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <vector>

// File-system steps on directory descriptors, for work that must never be
// led elsewhere by a link: names are taken relative to a folder held open,
// and folders are opened with O_NOFOLLOW.
namespace FileOps {

constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Owns a descriptor, so that every exit path closes it.
class Fd
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    // Closes the one held, and holds `fd`.
    void reset(int fd = -1);
    // Gives up the one held, unclosed.
    int release() { const int fd = m_fd; m_fd = -1; return fd; }

private:
    int m_fd;
};

// Opens the folder at `path`, following links as open(2) does, however
// long the path: past PATH_MAX, from folder to folder in pieces the kernel
// takes. -1 with errno set on failure.
int openFolder(const QByteArray &path);

// A new folder in `parent` only its owner can enter (0700), named `prefix`
// and six characters nobody could have chosen before; sets `made` and
// returns 0, or returns errno.
int newPrivateFolder(const QString &parent, const QByteArray &prefix, QString &made);

// rename(2) that never replaces: fails with EEXIST when `to` exists, even
// as a dangling link. Returns 0 or -1 with errno set.
int renameNoReplace(int fromFolder, const char *from, int toFolder, const char *to);
// The names in a folder but "." and "..", sorted; empty when unreadable.
std::vector<QByteArray> namesIn(int folder);
// Opens a folder of our own to empty it, first giving it back the owner's
// permissions (the tool may have set an archive's mode on it); -1 on failure.
int openOwnFolder(int parent, const char *name);
// Removes a file, link or whole folder at any depth, holding one folder
// open at a time; never follows a link. False when something stayed.
bool removeTree(int parent, const char *name);

// Shows every item under `folder` (never through a link) to `visit`: the
// folder holding it, open, its name there, and its path from `folder`;
// one folder open at a time, whatever the depth. Folders are made ours
// to be read. False when some folder could not be read.
using Visitor = std::function<void(int parent, const char *name, const QByteArray &path, const struct stat &status)>;
bool walkTree(int folder, const Visitor &visit);

// The pipes, sockets and devices at or under `path` (never through a
// link), as paths starting at its last component, the way an archive made
// of `path` names them. None is opened.
std::vector<QByteArray> specialFilesIn(const QByteArray &path);

} // namespace FileOps
