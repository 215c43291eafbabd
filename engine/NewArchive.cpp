#include "engine/NewArchive.h"

#include "engine/SystemError.h"
#include "engine/CreationRules.h"
#include "engine/FileNames.h"
#include "engine/FileOps.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void throwPlacing(const QString &path, int error)
{
    throw SystemError::fromErrno(QCoreApplication::translate("NewZip", "Cannot save “%1”").arg(path), error);
}

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

bool exists(const QString &path)
{
    struct stat status;
    return ::lstat(native(path).constData(), &status) == 0;
}

} // namespace

NewArchive::NewArchive(const QString &archive, const QString &extension, bool volumes)
    : m_archive(archive), m_volumes(volumes)
{
    const QString unique = QString::number(QRandomGenerator::global()->generate64() & 0xffffffffffULL, 36);
    m_temporary = FileNames::parentFolder(archive) + QStringLiteral("/.corvex-") + unique + QLatin1Char('.') + extension;
}

NewArchive::~NewArchive()
{
    removeWritten();
}

QStringList NewArchive::written() const
{
    if (!m_volumes)
        return exists(m_temporary) ? QStringList{m_temporary} : QStringList();
    QStringList volumes;
    for (int n = 1; exists(CreationRules::volumePath(m_temporary, n)); ++n)
        volumes.append(CreationRules::volumePath(m_temporary, n));
    return volumes;
}

// Every volume, even past a gap: a stopped tool may have removed some, and
// one killed while it wrote a volume leaves "NAME.002.tmp" (measured).
void NewArchive::removeWritten()
{
    ::unlink(native(m_temporary).constData());
    if (!m_volumes)
        return;
    const QFileInfo temporary(m_temporary);
    static const QRegularExpression volume(QStringLiteral("^\\.\\d+(\\.tmp)?$"));
    const QStringList names = QDir(temporary.absolutePath())
                                  .entryList({temporary.fileName() + QStringLiteral(".*")},
                                             QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (volume.match(name.mid(temporary.fileName().size())).hasMatch())
            ::unlink(native(temporary.absolutePath() + QLatin1Char('/') + name).constData());
    }
}

QString NewArchive::place(bool replace)
{
    const QStringList files = written();
    const auto target = [this](const QString &archive, int i) {
        return m_volumes ? CreationRules::volumePath(archive, i + 1) : archive;
    };
    if (replace) {
        for (int i = 0; i < files.size(); ++i) {
            if (std::rename(native(files[i]).constData(), native(target(m_archive, i)).constData()) != 0)
                throwPlacing(m_archive, errno);
        }
        // What was replaced goes whole: the single file, or the old set's
        // volumes past the new set's last.
        if (m_volumes) {
            ::unlink(native(m_archive).constData());
            for (int n = int(files.size()) + 1; exists(CreationRules::volumePath(m_archive, n)); ++n)
                ::unlink(native(CreationRules::volumePath(m_archive, n)).constData());
        }
        return CreationRules::openedPath(m_archive, m_volumes ? 1 : 0);
    }
    for (int n = 1;; ++n) {
        const QString candidate = FileNames::numberedName(m_archive, n, false);
        if (CreationRules::taken(candidate, m_volumes ? 1 : 0))
            continue;
        int placed = 0;
        for (; placed < files.size(); ++placed) {
            if (FileOps::renameNoReplace(AT_FDCWD, native(files[placed]).constData(), AT_FDCWD,
                                         native(target(candidate, placed)).constData())
                != 0)
                break;
        }
        if (placed == files.size())
            return CreationRules::openedPath(candidate, m_volumes ? 1 : 0);
        const int error = errno;
        // Put back what moved, and try the next name.
        for (int i = 0; i < placed; ++i)
            std::rename(native(target(candidate, i)).constData(), native(files[i]).constData());
        if (error != EEXIST)
            throwPlacing(candidate, error);
    }
}
