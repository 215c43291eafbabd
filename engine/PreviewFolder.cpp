#include "engine/PreviewFolder.h"

#include "engine/FileOps.h"
#include "engine/SystemError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr char kPrefix[] = "CorvexPreview-";
}

QString PreviewFolder::base()
{
    // Only a runtime folder that is really the user's own: a path in the
    // environment is no proof.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat status;
    if (runtime.startsWith('/') && ::stat(runtime.constData(), &status) == 0 && S_ISDIR(status.st_mode)
        && status.st_uid == ::getuid() && (status.st_mode & (S_IRWXG | S_IRWXO)) == 0)
        return QFile::decodeName(runtime);
    return QDir::tempPath();
}

QString PreviewFolder::create()
{
    const QString folder = base();
    QString made;
    if (const int error = FileOps::newPrivateFolder(folder, kPrefix + QByteArray::number(::getpid()) + '-', made))
        throw SystemError::fromErrno(
            QCoreApplication::translate("PreviewFolder", "Cannot create a preview folder in “%1”").arg(folder), error);
    return made;
}

bool PreviewFolder::remove(const QString &folder)
{
    const QByteArray native = QFile::encodeName(folder);
    const qsizetype slash = native.lastIndexOf('/');
    if (slash < 0 || !native.mid(slash + 1).startsWith(kPrefix))
        return false;
    const FileOps::Fd parent(::open(native.left(slash + 1).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return parent.get() >= 0 && FileOps::removeTree(parent.get(), native.mid(slash + 1).constData());
}

void PreviewFolder::removeLeftovers()
{
    const QByteArray folder = QFile::encodeName(base());
    const FileOps::Fd parent(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (const QByteArray &name : FileOps::namesIn(parent.get())) {
        // CorvexPreview-PID-XXXXXX, ours, of a process that is gone.
        const QList<QByteArray> parts = name.split('-');
        bool isNumber = false;
        const pid_t pid = parts.size() == 3 && parts[0] == "CorvexPreview" ? pid_t(parts[1].toInt(&isNumber)) : 0;
        struct stat status;
        if (isNumber && pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH
            && ::fstatat(parent.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode)
            && status.st_uid == ::getuid())
            FileOps::removeTree(parent.get(), name.constData());
    }
}
