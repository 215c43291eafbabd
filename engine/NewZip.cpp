#include "engine/NewZip.h"

#include "engine/SystemError.h"
#include "engine/FileNames.h"
#include "engine/FileOps.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace NewZip {

namespace {

QByteArray writeTemporary(const QString &zip, const Writer &write)
{
    const QByteArray temporary = QFile::encodeName(temporaryNameFor(zip));
    try {
        write(QFile::decodeName(temporary));
    } catch (...) {
        ::unlink(temporary.constData());
        throw;
    }
    return temporary;
}

// After a move failed, with its errno.
[[noreturn]] void discard(const QByteArray &temporary, const QString &zip)
{
    const int error = errno;
    ::unlink(temporary.constData());
    throw SystemError::fromErrno(QCoreApplication::translate("NewZip", "Cannot save “%1”").arg(zip), error);
}

} // namespace

QString temporaryNameFor(const QString &zip)
{
    // Short, whatever the ZIP's name: a name near the system's limit must still have room beside it.
    const QString unique = QUuid::createUuid().toString(QUuid::Id128).left(12);
    return QFileInfo(zip).absolutePath() + QStringLiteral("/.corvex-") + unique + QStringLiteral(".zip");
}

void writeReplacing(const QString &zip, const Writer &write)
{
    const QByteArray temporary = writeTemporary(zip, write);
    if (std::rename(temporary.constData(), QFile::encodeName(zip).constData()) != 0)
        discard(temporary, zip);
}

QString writeBeside(const QString &zip, const Writer &write)
{
    const QByteArray temporary = writeTemporary(zip, write);
    for (int n = 1;; ++n) {
        const QString placed = FileNames::numberedName(zip, n, false);
        if (FileOps::renameNoReplace(AT_FDCWD, temporary.constData(), AT_FDCWD, QFile::encodeName(placed).constData()) == 0)
            return placed;
        if (errno != EEXIST)
            discard(temporary, placed);
    }
}

} // namespace NewZip
