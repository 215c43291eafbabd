#include "ui/DragOut.h"

#include "engine/ArchiveFile.h"
#include "engine/SystemError.h"
#include "engine/FileNames.h"
#include "engine/FileOps.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

namespace {

constexpr char kPrefix[] = "drag-";

} // namespace

DragOut::~DragOut()
{
    removeAll();
}

QString DragOut::base()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/corvex/drags");
}

QString DragOut::newFolder(QString &problem)
{
    const QString folder = base();
    if (!QDir().mkpath(folder)) {
        problem = QCoreApplication::translate("DragOut", "Cannot create a folder in “%1”").arg(folder);
        return {};
    }
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    if (!m_swept) {
        m_swept = true;
        const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
        QDirIterator old(folder, {QLatin1String(kPrefix) + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot);
        while (old.hasNext()) {
            const QFileInfo info = old.nextFileInfo();
            if (info.lastModified() < dayAgo && !info.isSymLink())
                QDir(info.filePath()).removeRecursively();
        }
    }
    QString made;
    if (const int error = FileOps::newPrivateFolder(folder, kPrefix, made)) {
        problem = SystemError::fromErrno(
            QCoreApplication::translate("DragOut", "Cannot create a folder in “%1”").arg(folder), error).message();
        return {};
    }
    m_folders.append(made);
    return made;
}

bool DragOut::sameSource(const Kept &kept, const QString &archive, const MemberSelection::Members &members)
{
    return !kept.folder.isEmpty() && kept.archive == archive && kept.all == members.all
        && kept.paths == members.paths && ArchiveFile::identityAt(archive) == kept.file;
}

QString DragOut::kept(const QString &archive, const MemberSelection::Members &members) const
{
    if (!sameSource(m_kept, archive, members))
        return {};
    // A drop target that moved a copy away took it from the folder.
    const QList<QUrl> found = urls(m_kept.folder, members);
    if (found.isEmpty() || (!members.all && found.size() != members.paths.size()))
        return {};
    return m_kept.folder;
}

void DragOut::keep(const QString &archive, const MemberSelection::Members &members, const QString &folder)
{
    m_kept = {archive, ArchiveFile::identityAt(archive), members.all, members.paths, folder};
}

QList<QUrl> DragOut::urls(const QString &folder, const MemberSelection::Members &members)
{
    QStringList paths = members.paths;
    if (members.all)
        paths = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    const QString inside = QDir::cleanPath(folder) + QLatin1Char('/');
    QList<QUrl> result;
    // A folder spelled two ways ("a//b", "a/b") is one copy.
    QSet<QString> seen;
    for (const QString &path : paths) {
        // The tool keeps members inside the folder whatever their names say;
        // a name that still points elsewhere is left out, never followed.
        const QString copy = QDir::cleanPath(inside + path);
        struct stat status;
        if (copy.startsWith(inside) && !seen.contains(copy) && ::lstat(QFile::encodeName(copy).constData(), &status) == 0) {
            seen.insert(copy);
            result.append(QUrl::fromLocalFile(copy));
        }
    }
    return result;
}

void DragOut::removeAll()
{
    for (const QString &folder : std::as_const(m_folders))
        QDir(folder).removeRecursively();
    m_folders.clear();
    m_kept = {};
}
