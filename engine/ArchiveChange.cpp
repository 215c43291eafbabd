#include "engine/ArchiveChange.h"

#include "engine/SystemError.h"
#include "engine/ArchiveFile.h"
#include "engine/FileNames.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// ".corvex-" and a tag of the archive's name: short, so that a long name
// still fits, and the same on every run for the same archive.
QString prefixOf(const QString &target)
{
    const QByteArray hash = QCryptographicHash::hash(native(QFileInfo(target).fileName()), QCryptographicHash::Sha1);
    return FileNames::parentFolder(target) + QStringLiteral("/.corvex-") + QString::fromLatin1(hash.toHex().left(8))
        + QLatin1Char('-');
}

[[noreturn]] void throwPlacing(const QString &path, int error)
{
    throw SystemError::fromErrno(QCoreApplication::translate("ArchiveChange", "Cannot save “%1”").arg(path), error);
}

} // namespace

ArchiveChange::ArchiveChange(const ArchiveFile &file) : m_file(file)
{
    m_target = QFileInfo(file.path()).canonicalFilePath();
    if (m_target.isEmpty())
        m_target = QFileInfo(file.path()).absoluteFilePath();
    m_prefix = prefixOf(m_target);
    // Released when the file is closed; another Corvex changing it meanwhile would lose its work to ours.
    if (::flock(file.descriptor(), LOCK_EX | LOCK_NB) != 0)
        m_problem = QCoreApplication::translate("ArchiveChange", "“%1” is being changed by another window. Try again when it is done.")
                        .arg(QFileInfo(file.path()).fileName());
}

ArchiveChange::~ArchiveChange()
{
    removeWritten();
}

QStringList ArchiveChange::leftovers(const QString &target)
{
    const QString prefix = prefixOf(target);
    const QFileInfo info(prefix);
    QStringList found;
    const QStringList names = QDir(info.absolutePath())
                                  .entryList({info.fileName() + QLatin1Char('*')},
                                             QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names)
        found.append(info.absolutePath() + QLatin1Char('/') + name);
    return found;
}

QString ArchiveChange::nextTemporary()
{
    // The last one is the next step's source; those before it are done with.
    while (m_written.size() > 1)
        ::unlink(native(m_written.takeFirst()).constData());
    // Only with the lock held is a temporary of this archive surely nobody's.
    if (m_written.isEmpty() && m_problem.isEmpty()) {
        for (const QString &stale : leftovers(m_target))
            ::unlink(native(stale).constData());
    }
    m_written.append(m_prefix + QString::number(QRandomGenerator::global()->generate() & 0xffffff, 36));
    return m_written.last();
}

void ArchiveChange::removeWritten()
{
    for (const QString &path : std::as_const(m_written))
        ::unlink(native(path).constData());
}

void ArchiveChange::place()
{
    if (m_written.isEmpty())
        return;
    const QString temporary = m_written.last();
    struct stat original;
    if (::fstat(m_file.descriptor(), &original) != 0)
        throwPlacing(m_target, errno);
    const int fd = ::open(native(temporary).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        throwPlacing(m_target, errno);
    // Owner first: a change of owner clears the set-id bits the mode may give back.
    if (::fchown(fd, original.st_uid, original.st_gid) != 0)
        (void)::fchown(fd, uid_t(-1), original.st_gid);
    const bool kept = ::fchmod(fd, original.st_mode & 07777) == 0 && ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!kept)
        throwPlacing(m_target, error);
    // Someone else's change meanwhile is not overwritten.
    if (!m_file.isUnchanged())
        throw SystemError(QCoreApplication::translate("ArchiveChange", "“%1” changed while Corvex worked on it; it was left as it is.")
                              .arg(QFileInfo(m_file.path()).fileName()));
    if (std::rename(native(temporary).constData(), native(m_target).constData()) != 0)
        throwPlacing(m_target, errno);
    m_written.removeLast();
    const int folder = ::open(native(FileNames::parentFolder(m_target)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}
