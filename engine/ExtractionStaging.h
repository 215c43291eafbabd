#pragma once

#include "engine/Operation.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <sys/stat.h>

// An extraction writes into a private folder (0700, hidden, unique) made
// inside its destination, on the same file system, and only then are its
// items moved into place with rename(2). Nothing that already exists at the
// destination is written through: an existing link, even to a folder, is a
// name conflict and never a way in; a real folder is merged item by item.
// Conflicts are asked through a resolver; one on another file system (a
// mount point), which rename(2) cannot cross, fails before anything moves.
// The destination folder's own mode and owner are never set; its times are
// put back when nothing was moved into it, as if the staging folder had
// never been there. The staging folder goes, without following links,
// whatever happens: on success, failure and cancel.
class ExtractionStaging
{
public:
    // Answers a conflict question; nullopt (or a cancelled answer) cancels.
    using Resolver = std::function<std::optional<Answer>(const Question &)>;

    // Makes the staging folder inside `destination`, an existing folder
    // (reached through links if its path has any). Throws SystemError.
    explicit ExtractionStaging(const QString &destination);
    ~ExtractionStaging();
    ExtractionStaging(const ExtractionStaging &) = delete;
    ExtractionStaging &operator=(const ExtractionStaging &) = delete;

    const QString &destination() const { return m_destination; }
    // Where the tool extracts to.
    const QString &path() const { return m_path; }

    struct Result {
        // The top-level paths that received items (placed, numbered or
        // merged into), for the reveal.
        QStringList placed;
        bool cancelled = false;
    };
    // Moves everything staged into the destination; `archive` is named in
    // the questions. Every conflict is asked before anything moves, so a
    // cancel leaves the destination as it was; then `settle` is called,
    // and false from it cancels too. Only a name that appears while the
    // items move is asked about then, and a cancel there leaves what was
    // already moved: there is no undoing a rename that replaced something.
    // Throws SystemError when a move fails; what was moved before stays.
    // Only what the tool wrote inside `base` (a relative folder path) moves
    // when one is given.
    Result moveIntoPlace(const QString &archive, const Resolver &resolve, const QString &base = QString(),
                         const std::function<bool()> &settle = {});
    // The staged links (paths from `base`) that would lead outside the
    // destination once placed: absolute, climbing out, or so resolved.
    // Throws SystemError when some staged folder cannot be read.
    QStringList linksLeadingOut(const QString &base = QString()) const;

    // Removes the staging folder and all still in it; done by the destructor.
    // When nothing was moved, the destination's times are put back too.
    // False when something of it stayed.
    bool remove();

    // The file system an item is on, as the move sees it: tests stand a
    // mount point in where none can be made.
    static inline dev_t (*deviceOf)(const struct stat &status) = [](const struct stat &status) {
        return status.st_dev;
    };

private:
    // The staged folder `base`, open; throws when it cannot be.
    int openStaged(const QString &base) const;

    QString m_destination;
    QString m_path;
    QByteArray m_name;
    int m_destinationFd = -1;
    int m_stagingFd = -1;
    struct timespec m_destinationTimes[2] = {};
    bool m_moving = false;
};
