#pragma once

#include <QString>
#include <QStringList>

class ArchiveFile;

// A change to an existing archive is written as a new file beside the one
// it replaces, under a short hidden name that says which archive it
// belongs to, and renamed over it only once complete: cancel, failure or a
// crash leave the original whole. The archive is held locked meanwhile, so
// that temporaries another run left behind are surely stale and go.
class ArchiveChange
{
public:
    // `file` is the open archive; a link is followed to the file it names,
    // which is what gets replaced (the link stays).
    explicit ArchiveChange(const ArchiveFile &file);
    // Removes every temporary not placed.
    ~ArchiveChange();
    ArchiveChange(const ArchiveChange &) = delete;
    ArchiveChange &operator=(const ArchiveChange &) = delete;

    // Empty once locked; else why the archive cannot be changed now.
    const QString &problem() const { return m_problem; }
    // The file replaced in the end.
    const QString &target() const { return m_target; }
    // A fresh name for the tool to write; those before the last are removed.
    QString nextTemporary();
    // Moves the last temporary over the target with the original's mode
    // and, where permitted, owner and group. Throws SystemError.
    void place();

    // The temporaries of `target` left by an earlier run, by their names.
    static QStringList leftovers(const QString &target);

private:
    void removeWritten();

    const ArchiveFile &m_file;
    QString m_target;
    QString m_prefix;
    QStringList m_written;
    QString m_problem;
};
