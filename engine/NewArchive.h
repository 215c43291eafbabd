#pragma once

#include <QString>
#include <QStringList>

// A new archive (or its set of volumes) is written under a short hidden
// name in the folder it goes to, and moved into place only once complete:
// an existing file is never updated, a cancel or failure leaves nothing,
// and a long name still fits the system's limit with the temporary suffix.
class NewArchive
{
public:
    // `archive` is where it goes; `volumes`: the tool writes "NAME.001" …
    NewArchive(const QString &archive, const QString &extension, bool volumes);
    // Removes whatever was written and not placed.
    ~NewArchive();
    NewArchive(const NewArchive &) = delete;
    NewArchive &operator=(const NewArchive &) = delete;

    // The name to give the tool.
    const QString &temporaryPath() const { return m_temporary; }

    // Moves what was written into place and returns the archive's path.
    // `replace`: over the existing archive (and, for a set of volumes, the
    // rest of the old set); otherwise under the first free name from
    // `archive` on ("report 2.7z" …), taken at the moment of the move.
    // Throws SystemError.
    QString place(bool replace);

private:
    // The files written: the archive, or its volumes in order.
    QStringList written() const;
    void removeWritten();

    QString m_archive;
    QString m_temporary;
    bool m_volumes;
};
