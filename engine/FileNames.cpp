#include "engine/FileNames.h"

#include "engine/FileOps.h"
#include "engine/SystemError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <sys/stat.h>

namespace FileNames {

namespace {

// On a QString or, for names that need not be UTF-8, on raw bytes.
template <typename Text>
qsizetype lastExtensionDot(const Text &path)
{
    const qsizetype nameStart = path.lastIndexOf('/') + 1;
    const qsizetype dot = path.lastIndexOf('.');
    if (dot <= nameStart)
        return -1;
    // "." and ".." are names, not extensions.
    for (qsizetype i = nameStart; i < dot; ++i) {
        if (path.at(i) != '.')
            return dot;
    }
    return -1;
}

qsizetype nameBytes(const QByteArray &name) { return name.size(); }
qsizetype nameBytes(const QString &name) { return QFile::encodeName(name).size(); }
bool isContinuation(char c) { return (uchar(c) & 0xC0) == 0x80; }
bool isContinuation(QChar c) { return c.isLowSurrogate(); }

template <typename Text>
Text numbered(const Text &path, int n, bool isFolder)
{
    if (n <= 1)
        return path;
    auto stemOf = [](const Text &text) {
        const qsizetype dot = lastExtensionDot(text);
        return dot < 0 ? text : text.left(dot);
    };
    Text stem = isFolder ? path : stemOf(path);
    // "backup.tar.gz" numbers as "backup 2.tar.gz", not "backup.tar 2.gz".
    const Text inner = stemOf(stem);
    if (!isFolder && inner != stem && stem.mid(inner.size() + 1).compare("tar", Qt::CaseInsensitive) == 0)
        stem = inner;
    // A name near the system's limit gives up the end of its stem, whole characters, so the number fits.
    const Text suffix = ' ' + Text::number(n) + path.mid(stem.size());
    const qsizetype nameStart = path.lastIndexOf('/') + 1;
    while (stem.size() > nameStart + 1 && nameBytes(stem.mid(nameStart) + suffix) > NAME_MAX) {
        while (stem.size() > nameStart + 1 && isContinuation(stem.at(stem.size() - 1)))
            stem.chop(1);
        stem.chop(1);
    }
    return stem + suffix;
}

// A name that cannot be looked at (a folder without search permission)
// counts as free: what is then done with it reports the system's reason.
bool exists(const QByteArray &native)
{
    struct stat status;
    return ::lstat(native.constData(), &status) == 0;
}

} // namespace

QString lastExtension(const QString &path)
{
    return lastExtension(QStringView(path)).toString();
}

QStringView lastExtension(QStringView path)
{
    const qsizetype dot = lastExtensionDot(path);
    return dot < 0 ? QStringView() : path.mid(dot + 1);
}

QByteArrayView lastExtension(QByteArrayView path)
{
    const qsizetype dot = lastExtensionDot(path);
    return dot < 0 ? QByteArrayView() : path.sliced(dot + 1);
}

QString withoutLastExtension(const QString &path)
{
    const qsizetype dot = lastExtensionDot(path);
    return dot < 0 ? path : path.left(dot);
}

QString parentFolder(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString extractFolderFor(const QString &archive)
{
    return withoutLastExtension(archive);
}

QString zipDestinationFor(const QString &firstItem)
{
    const QString zipSuffix = QStringLiteral(".zip");
    if (QFileInfo(firstItem).isDir())
        return firstItem + zipSuffix;
    if (lastExtension(firstItem).toLower() == QLatin1String("zip"))
        return firstItem + zipSuffix;
    return withoutLastExtension(firstItem) + zipSuffix;
}

QString numberedName(const QString &path, int n, bool isFolder)
{
    return numbered(path, n, isFolder);
}

QByteArray numberedName(const QByteArray &name, int n, bool isFolder)
{
    return numbered(name, n, isFolder);
}

QString firstFreeName(const QString &path, bool isFolder)
{
    for (int n = 1;; ++n) {
        const QString candidate = numberedName(path, n, isFolder);
        if (!exists(QFile::encodeName(candidate)))
            return candidate;
    }
}

void createFolder(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0777) == 0)
        return;
    int error = errno;
    if (error == ENOENT && parentFolder(path) != path) {
        createFolder(parentFolder(path));
        if (::mkdir(native.constData(), 0777) == 0)
            return;
        error = errno;
    }
    // An existing folder will do, however long its path.
    const FileOps::Fd existing(error == EEXIST || error == ENAMETOOLONG ? FileOps::openFolder(native) : -1);
    if (existing.get() >= 0)
        return;
    throw SystemError::fromErrno(QCoreApplication::translate("FileNames", "Cannot create the folder “%1”").arg(path),
                                 error);
}

ExtractFolder makeExtractFolder(const QString &archive)
{
    const QString named = extractFolderFor(archive);
    for (int n = 1;; ++n) {
        const QString candidate = numberedName(named, n, true);
        const QByteArray native = QFile::encodeName(candidate);
        if (::mkdir(native.constData(), 0777) == 0)
            return {candidate, true};
        const int error = errno;
        if (error != EEXIST)
            throw SystemError::fromErrno(
                QCoreApplication::translate("FileNames", "Cannot create the folder “%1”").arg(candidate), error);
        // Only the archive's own name is reused, and only as a real folder:
        // a link there would take the extraction wherever it points.
        struct stat status;
        if (n == 1 && ::lstat(native.constData(), &status) == 0 && S_ISDIR(status.st_mode))
            return {candidate, false};
    }
}

} // namespace FileNames
