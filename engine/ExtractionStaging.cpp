#include "engine/ExtractionStaging.h"

#include "engine/SystemError.h"
#include "engine/FileNames.h"
#include "engine/FileOps.h"
#include "engine/PathScreen.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <map>
#include <climits>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

using namespace FileOps;

// Inside the staging folder: what the tool writes, and what a Replace moved
// out of the way, removed with the rest at the end.
constexpr char kContent[] = "content";
constexpr char kReplaced[] = "replaced";

// `what` names the path as %1.
[[noreturn]] void fail(const char *what, const QByteArray &path, int error)
{
    throw SystemError::fromErrno(
        QCoreApplication::translate("ExtractionStaging", what).arg(QFile::decodeName(path)), error);
}

QByteArray joined(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

class Mover
{
public:
    Mover(const QString &archive, const ExtractionStaging::Resolver &resolve, int replacedFd)
        : m_archive(archive), m_resolve(resolve), m_replacedFd(replacedFd)
    {
    }

    ExtractionStaging::Result result;

    // Asks about every item of `from` whose name exists in `to`, merging
    // folders, without moving anything. False once cancelled.
    bool askAll(int from, int to, const QByteArray &toPath)
    {
        for (const QByteArray &name : namesIn(from)) {
            const char *const n = name.constData();
            const QByteArray target = joined(toPath, name);
            struct stat staged, existing;
            if (::fstatat(to, n, &existing, AT_SYMLINK_NOFOLLOW) != 0
                || ::fstatat(from, n, &staged, AT_SYMLINK_NOFOLLOW) != 0)
                continue;   // free, or left for the move to report
            // rename(2) cannot cross into another file system (a mount point): refused before anything moves.
            if (ExtractionStaging::deviceOf(existing) != ExtractionStaging::deviceOf(staged))
                fail(QT_TRANSLATE_NOOP("ExtractionStaging",
                                       "Nothing was placed: “%1” is on another file system"),
                     target, EXDEV);
            const bool newIsFolder = S_ISDIR(staged.st_mode);
            const bool existingIsFolder = S_ISDIR(existing.st_mode);
            if (newIsFolder && existingIsFolder) {
                const Fd stagedFolder(openOwnFolder(from, n));
                const Fd existingFolder(::openat(to, n, kOpenFolder));
                if (stagedFolder.get() >= 0 && existingFolder.get() >= 0
                    && !askAll(stagedFolder.get(), existingFolder.get(), target))
                    return false;
                continue;
            }
            const std::optional<ConflictChoice> choice = ask(target, existingIsFolder, newIsFolder);
            if (!choice)
                return false;
            m_answered.insert({target, {*choice, existing.st_dev, existing.st_ino, existing.st_mode & S_IFMT}});
        }
        return true;
    }

    // Moves every item of `from` into `to`, which `toPath` names. False once cancelled.
    bool moveAll(int from, int to, const QByteArray &toPath, bool topLevel)
    {
        for (const QByteArray &name : namesIn(from)) {
            if (!move(from, to, toPath, name, topLevel))
                return false;
        }
        return true;
    }

private:
    bool move(int from, int to, const QByteArray &toPath, const QByteArray &name, bool topLevel)
    {
        const char *const n = name.constData();
        const QByteArray target = joined(toPath, name);
        auto placed = [&](const QByteArray &path) {
            if (topLevel)
                result.placed.append(QFile::decodeName(path));
            return true;
        };
        // Retried only when what was in the way went away meanwhile.
        for (;;) {
            if (renameNoReplace(from, n, to, n) == 0)
                return placed(target);
            if (errno != EEXIST)
                fail(QT_TRANSLATE_NOOP("ExtractionStaging", "Cannot move the extracted item to “%1”"), target,
                     errno);

            struct stat staged, existing;
            if (::fstatat(from, n, &staged, AT_SYMLINK_NOFOLLOW) != 0)
                fail(QT_TRANSLATE_NOOP("ExtractionStaging", "Cannot read the extracted item for “%1”"), target,
                     errno);
            if (::fstatat(to, n, &existing, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT)
                    continue;
                fail(QT_TRANSLATE_NOOP("ExtractionStaging", "Cannot look at “%1”"), target, errno);
            }
            const bool newIsFolder = S_ISDIR(staged.st_mode);
            const bool existingIsFolder = S_ISDIR(existing.st_mode);   // a link is never one
            if (newIsFolder && existingIsFolder)
                return merge(from, to, target, name) && placed(target);

            // An answer covers the item as it was when asked: one that changed meanwhile is asked about again.
            const auto answered = m_answered.find(target);
            const std::optional<ConflictChoice> choice = answered != m_answered.end() && answered->second.covers(existing)
                ? answered->second.choice
                : ask(target, existingIsFolder, newIsFolder);
            if (!choice)
                return false;
            switch (*choice) {
            case ConflictChoice::Skip:
                return true;   // the staged item goes with the staging folder
            case ConflictChoice::KeepBoth:
                for (int number = 2;; ++number) {
                    const QByteArray other = FileNames::numberedName(name, number, newIsFolder);
                    if (renameNoReplace(from, n, to, other.constData()) == 0)
                        return placed(joined(toPath, other));
                    if (errno != EEXIST)
                        fail(QT_TRANSLATE_NOOP("ExtractionStaging", "Cannot move the extracted item to “%1”"),
                             joined(toPath, other), errno);
                }
            case ConflictChoice::Replace:
                // One file (or link) for another: a single atomic step; a
                // link is replaced as a link, its target untouched.
                if (!newIsFolder && !existingIsFolder) {
                    if (::renameat(from, n, to, n) != 0)
                        fail(QT_TRANSLATE_NOOP("ExtractionStaging", "Cannot replace “%1”"), target, errno);
                    return placed(target);
                }
                if (placeAfterMovingAside(from, to, target, name, existing))
                    return placed(target);
                continue;
            case ConflictChoice::Cancel:
                return false;
            }
        }
    }

    bool merge(int from, int to, const QByteArray &target, const QByteArray &name)
    {
        const Fd staged(openOwnFolder(from, name.constData()));
        if (staged.get() < 0)
            fail(QT_TRANSLATE_NOOP("ExtractionStaging", "Cannot read the extracted folder for “%1”"), target,
                 errno);
        // O_NOFOLLOW: a folder swapped for a link meanwhile is not entered.
        const Fd existing(::openat(to, name.constData(), kOpenFolder));
        if (existing.get() < 0)
            fail(QT_TRANSLATE_NOOP("ExtractionStaging", "Cannot open the folder “%1”"), target, errno);
        return moveAll(staged.get(), existing.get(), target, false);
    }

    std::optional<ConflictChoice> ask(const QByteArray &target, bool existingIsFolder, bool newIsFolder)
    {
        // "For all" holds for conflicts of the kind it was given on; a folder is never replaced unasked.
        const auto forAll = m_forAll.find({existingIsFolder, newIsFolder});
        if (forAll != m_forAll.end() && !(existingIsFolder && forAll->second == ConflictChoice::Replace))
            return forAll->second;
        Question question;
        question.kind = Question::Kind::Conflict;
        question.archive = m_archive;
        question.existingPath = QFile::decodeName(target);
        question.existingIsFolder = existingIsFolder;
        question.newIsFolder = newIsFolder;
        const std::optional<Answer> answer = m_resolve(question);
        if (!answer || answer->cancelled || answer->choice == ConflictChoice::Cancel) {
            result.cancelled = true;
            return std::nullopt;
        }
        if (answer->applyToAll)
            m_forAll[{existingIsFolder, newIsFolder}] = answer->choice;
        return answer->choice;
    }

    // A Replace where a folder is involved: the existing item goes into the
    // staging folder (to be removed with it), the new one takes its place.
    // Should that fail, or should what was moved aside not be the item
    // asked about, it is put back. False when something new is in the way.
    bool placeAfterMovingAside(int from, int to, const QByteArray &target, const QByteArray &name,
                               const struct stat &asked)
    {
        const char *const n = name.constData();
        QByteArray aside;
        for (;;) {
            aside = QByteArray::number(++m_asideCount);
            if (renameNoReplace(to, n, m_replacedFd, aside.constData()) == 0) {
                struct stat moved;
                if (::fstatat(m_replacedFd, aside.constData(), &moved, AT_SYMLINK_NOFOLLOW) == 0
                    && moved.st_dev == asked.st_dev && moved.st_ino == asked.st_ino)
                    break;
                renameNoReplace(m_replacedFd, aside.constData(), to, n);
                return false;
            }
            if (errno == ENOENT)
                return false;
            if (errno != EEXIST)
                fail(QT_TRANSLATE_NOOP("ExtractionStaging", "Cannot replace “%1”"), target, errno);
        }
        if (renameNoReplace(from, n, to, n) == 0)
            return true;
        const int error = errno;
        if (!aside.isEmpty())
            renameNoReplace(m_replacedFd, aside.constData(), to, n);
        if (error != EEXIST)
            fail(QT_TRANSLATE_NOOP("ExtractionStaging", "Cannot replace “%1”"), target, error);
        return false;
    }

    const QString &m_archive;
    const ExtractionStaging::Resolver &m_resolve;
    const int m_replacedFd;
    // Apply-to-all answers, by (existing is a folder, new is a folder).
    std::map<std::pair<bool, bool>, ConflictChoice> m_forAll;
    // The answers asked before moving, by path, with the item they were given for.
    struct Answered {
        ConflictChoice choice;
        dev_t device;
        ino_t inode;
        mode_t type;
        bool covers(const struct stat &now) const
        {
            return now.st_dev == device && now.st_ino == inode && (now.st_mode & S_IFMT) == type;
        }
    };
    std::map<QByteArray, Answered> m_answered;
    int m_asideCount = 0;
};

// Whether the kernel, resolving `path` from `root` and following its links,
// leaves `root`; where it cannot tell (an old kernel, a path too long), the
// caller's look at the target alone decides.
bool resolvesOutside(int root, const QByteArray &path)
{
    open_how how{};
    how.flags = O_PATH | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    const long fd = ::syscall(SYS_openat2, root, path.constData(), &how, sizeof how);
    if (fd >= 0)
        ::close(int(fd));
    return fd < 0 && errno == EXDEV;
}

QByteArray randomName()
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name(".corvex-staging-");
    for (int i = 0; i < 12; ++i)
        name += kLetters[QRandomGenerator::system()->bounded(int(sizeof kLetters - 1))];
    return name;
}

} // namespace

ExtractionStaging::ExtractionStaging(const QString &destination) : m_destination(destination)
{
    const QByteArray native = QFile::encodeName(destination);
    m_destinationFd = openFolder(native);
    struct stat status;
    if (m_destinationFd < 0 || ::fstat(m_destinationFd, &status) != 0) {
        const int error = errno;
        remove();
        fail(QT_TRANSLATE_NOOP("ExtractionStaging", "Cannot open the folder “%1”"), native, error);
    }
    m_destinationTimes[0] = status.st_atim;
    m_destinationTimes[1] = status.st_mtim;
    for (;;) {
        m_name = randomName();
        if (::mkdirat(m_destinationFd, m_name.constData(), S_IRWXU) == 0)
            break;
        if (errno != EEXIST) {
            const int error = errno;
            m_name.clear();   // not ours: never removed
            remove();
            fail(QT_TRANSLATE_NOOP("ExtractionStaging", "Cannot create a folder in “%1”"), native, error);
        }
    }
    m_stagingFd = ::openat(m_destinationFd, m_name.constData(), kOpenFolder);
    if (m_stagingFd < 0 || ::mkdirat(m_stagingFd, kContent, S_IRWXU) != 0
        || ::mkdirat(m_stagingFd, kReplaced, S_IRWXU) != 0) {
        const int error = errno;
        remove();
        fail(QT_TRANSLATE_NOOP("ExtractionStaging", "Cannot create a folder in “%1”"), native, error);
    }
    m_path = QFile::decodeName(joined(joined(native, m_name), kContent));
}

ExtractionStaging::~ExtractionStaging()
{
    remove();
}

int ExtractionStaging::openStaged(const QString &base) const
{
    // The tool writes folders by their normalised names; a link in their
    // place is never followed.
    int content = openOwnFolder(m_stagingFd, kContent);
    for (const QString &part : base.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const int inner = content >= 0 ? openOwnFolder(content, QFile::encodeName(part).constData()) : -1;
        if (content >= 0)
            ::close(content);
        content = inner;
    }
    if (content < 0)
        fail(QT_TRANSLATE_NOOP("ExtractionStaging", "Cannot read the extracted items in “%1”"),
             QFile::encodeName(m_path), errno);
    return content;
}

QStringList ExtractionStaging::linksLeadingOut(const QString &base) const
{
    const Fd staged(openStaged(base));
    QStringList out;
    const bool complete = walkTree(staged.get(), [&](int parent, const char *name, const QByteArray &path,
                                                      const struct stat &status) {
        if (!S_ISLNK(status.st_mode))
            return;
        char target[PATH_MAX];
        const ssize_t size = ::readlinkat(parent, name, target, sizeof target);
        // The tool writes an absolute target as one into the staging folder: absolute all the same.
        if (size <= 0 || size == sizeof target
            || PathScreen::linkLeadsOut(path, QByteArrayView(target, size)) || resolvesOutside(staged.get(), path))
            out.append(QFile::decodeName(path));
    });
    if (!complete)
        fail(QT_TRANSLATE_NOOP("ExtractionStaging", "Cannot read the extracted items in “%1”"),
             QFile::encodeName(m_path), EACCES);
    return out;
}

ExtractionStaging::Result ExtractionStaging::moveIntoPlace(const QString &archive, const Resolver &resolve,
                                                          const QString &base, const std::function<bool()> &settle)
{
    const Fd staged(openStaged(base));
    const Fd replacedFd(::openat(m_stagingFd, kReplaced, kOpenFolder));
    if (replacedFd.get() < 0)
        fail(QT_TRANSLATE_NOOP("ExtractionStaging", "Cannot read the extracted items in “%1”"),
             QFile::encodeName(m_path), errno);
    Mover mover(archive, resolve, replacedFd.get());
    const QByteArray destination = QFile::encodeName(m_destination);
    if (!mover.askAll(staged.get(), m_destinationFd, destination) || (settle && !settle())) {
        mover.result.cancelled = true;
        return mover.result;
    }
    m_moving = true;
    if (!mover.moveAll(staged.get(), m_destinationFd, destination, true))
        mover.result.cancelled = true;
    return mover.result;
}

bool ExtractionStaging::remove()
{
    bool removed = true;
    if (m_stagingFd >= 0) {
        ::close(m_stagingFd);
        m_stagingFd = -1;
    }
    if (m_destinationFd >= 0) {
        if (!m_name.isEmpty())
            removed = removeTree(m_destinationFd, m_name.constData());
        // As if the staging folder had never been there (only its owner may).
        if (!m_moving && m_destinationTimes[1].tv_sec != 0)
            ::futimens(m_destinationFd, m_destinationTimes);
        ::close(m_destinationFd);
        m_destinationFd = -1;
    }
    return removed;
}
