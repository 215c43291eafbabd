#include "engine/ArchiveFile.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileIdentity identityOf(const struct stat &s)
{
    return {quint64(s.st_dev), quint64(s.st_ino), qint64(s.st_size),
            qint64(s.st_mtim.tv_sec) * 1000000000LL + s.st_mtim.tv_nsec};
}

// Whole sentences, with the path as %1, so that a translation can decline
// each kind.
const char *notAnArchive(mode_t mode)
{
    if (S_ISDIR(mode))
        return QT_TRANSLATE_NOOP("ArchiveFile", "“%1” is a folder, not an archive.");
    if (S_ISFIFO(mode))
        return QT_TRANSLATE_NOOP("ArchiveFile", "“%1” is a named pipe, not an archive.");
    if (S_ISCHR(mode))
        return QT_TRANSLATE_NOOP("ArchiveFile", "“%1” is a character device, not an archive.");
    if (S_ISBLK(mode))
        return QT_TRANSLATE_NOOP("ArchiveFile", "“%1” is a block device, not an archive.");
    if (S_ISSOCK(mode))
        return QT_TRANSLATE_NOOP("ArchiveFile", "“%1” is a socket, not an archive.");
    return QT_TRANSLATE_NOOP("ArchiveFile", "“%1” is not a regular file, not an archive.");
}

} // namespace

ArchiveFile::ArchiveFile(const QString &path) : m_path(path)
{
    open();
}

void ArchiveFile::open()
{
    const QString &path = m_path;
    const QByteArray native = QFile::encodeName(path);
    auto fail = [this](Problem problem, const QString &description) {
        m_problem = problem;
        m_description = description;
    };
    auto notAFile = [&](mode_t mode) {
        fail(Problem::NotAFile, QCoreApplication::translate("ArchiveFile", notAnArchive(mode)).arg(path));
    };
    auto systemError = [&](int error) {
        fail(Problem::System, QCoreApplication::translate("ArchiveFile", "Cannot open “%1”: %2")
                                  .arg(path, QString::fromLocal8Bit(std::strerror(error))));
    };

    // Look before opening: opening a device can have effects of its own.
    struct stat looked;
    if (::stat(native.constData(), &looked) != 0)
        return systemError(errno);
    if (!S_ISREG(looked.st_mode))
        return notAFile(looked.st_mode);
    // Non-blocking: should a FIFO take the file's place meanwhile, opening it
    // returns at once, and fstat tells.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return systemError(errno);
    struct stat opened;
    if (::fstat(fd, &opened) != 0) {
        const int error = errno;
        ::close(fd);
        return systemError(error);
    }
    if (!S_ISREG(opened.st_mode)) {
        ::close(fd);
        return notAFile(opened.st_mode);
    }
    m_fd = fd;
    m_identity = identityOf(opened);
}

ArchiveFile::~ArchiveFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

FileIdentity ArchiveFile::identityAt(const QString &path)
{
    struct stat named;
    return ::stat(QFile::encodeName(path).constData(), &named) == 0 ? identityOf(named) : FileIdentity();
}

bool ArchiveFile::isUnchanged() const
{
    if (m_fd < 0)
        return false;
    // Both the file held open (written to in place?) and the path (replaced?).
    struct stat held;
    return ::fstat(m_fd, &held) == 0 && identityOf(held) == m_identity && identityAt(m_path) == m_identity;
}
