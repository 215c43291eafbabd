#include "engine/PreviewFolder.h"

#include "engine/ArchiveError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

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
    QByteArray pattern = QFile::encodeName(folder) + "/CorvexPreview-XXXXXX";
    // mkdtemp makes it 0700 under a name nobody could have chosen before.
    if (!::mkdtemp(pattern.data()))
        throw SystemError::fromErrno(
            QCoreApplication::translate("PreviewFolder", "Cannot create a preview folder in “%1”").arg(folder), errno);
    return QFile::decodeName(pattern);
}
