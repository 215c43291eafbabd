#pragma once

#include "engine/Operation.h"

#include <QString>

// The archive an operation reads, held open from the screen to the end of
// the extraction. Only a regular file is an archive: a FIFO would block the
// tool forever and a folder would be searched for archives, so either is
// refused before the tool runs, without blocking. The descriptor kept open
// pins the file, and isUnchanged() tells whether the path still names it.
class ArchiveFile
{
public:
    enum class Problem { None, NotAFile, System };

    // Opens `path` (a link to a regular file is followed); see problem().
    explicit ArchiveFile(const QString &path);
    ~ArchiveFile();
    ArchiveFile(const ArchiveFile &) = delete;
    ArchiveFile &operator=(const ArchiveFile &) = delete;

    const QString &path() const { return m_path; }
    bool isOpen() const { return m_fd >= 0; }
    // For reading the signature, probing for a tar and locking the archive
    // through the file that was screened, never by its path again.
    int descriptor() const { return m_fd; }
    Problem problem() const { return m_problem; }
    // Why it is not open, naming the path: the system's reason, or what the
    // path names instead of a file ("… is a folder, not an archive.").
    const QString &description() const { return m_description; }

    // True while the path names the same file as when it was opened (device
    // and inode) and neither its size nor its modification time has changed.
    bool isUnchanged() const;
    // As it was when opened.
    const FileIdentity &identity() const { return m_identity; }
    // What `path` names now (links followed); all zero when nothing.
    static FileIdentity identityAt(const QString &path);

private:
    void open();

    QString m_path;
    int m_fd = -1;
    Problem m_problem = Problem::None;
    QString m_description;
    FileIdentity m_identity;
};
