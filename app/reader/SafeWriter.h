#pragma once

#include <ctime>
#include <string>
#include <sys/types.h>
#include <vector>

// Writes members under one folder, and only there: a path is taken apart
// into names, none may be "..", and every folder on the way is opened
// without following links, so a link written earlier (or planted) is never
// gone through. Only regular files, folders and symbolic links are made.
// Errors are returned as texts; empty means done.
class SafeWriter
{
public:
    explicit SafeWriter(const std::string &root);
    ~SafeWriter();
    SafeWriter(const SafeWriter &) = delete;
    SafeWriter &operator=(const SafeWriter &) = delete;

    // The path's names, or an empty list when it leads outside the folder
    // or names nothing.
    static std::vector<std::string> split(const std::string &path);

    std::string folder(const std::string &path, mode_t mode, time_t mtime);
    // Opens a new regular file for writing (an earlier one of that name is
    // replaced); `fd` is -1 on failure. The caller writes and closes it
    // through finishFile().
    std::string createFile(const std::string &path, int &fd);
    std::string finishFile(int fd, mode_t mode, time_t mtime);
    // Takes away a file that could not be written whole.
    void discard(const std::string &path);
    std::string symlink(const std::string &path, const std::string &target, time_t mtime);
    // A hard link is written as a copy of the file already written.
    std::string copyOf(const std::string &path, const std::string &existing, mode_t mode, time_t mtime);
    // Gives the folders their times, now that nothing more goes into them.
    void finish();

private:
    // The folder that holds the last name of `names`, opened; with
    // `create`, missing folders on the way are made.
    int parent(const std::vector<std::string> &names, bool create, std::string &error);
    std::string replaceable(int dir, const std::string &name);

    int m_root = -1;
    // The last parent opened, kept for the members that follow in it.
    std::vector<std::string> m_cachedPath;
    int m_cachedFd = -1;
    struct FolderTime {
        std::vector<std::string> names;
        time_t mtime;
    };
    std::vector<FolderTime> m_folders;
};
