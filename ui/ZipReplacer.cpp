#include "ui/ZipReplacer.h"

#include "engine/ArchiveEngine.h"
#include "engine/ArchiveError.h"

#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <cerrno>
#include <cstdio>

QString ZipReplacer::temporaryNameFor(const QString &zip)
{
    const QFileInfo info(zip);
    const QString unique = QUuid::createUuid().toString(QUuid::WithoutBraces);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".") + unique
        + QStringLiteral(".zip");
}

void ZipReplacer::createZip(const ArchiveEngine &engine, const QString &zip, const QStringList &inputs)
{
    if (!QFileInfo(zip).exists() && !QFileInfo(zip).isSymLink()) {
        engine.createZip(zip, inputs);
        return;
    }

    const QString temporary = temporaryNameFor(zip);
    try {
        engine.createZip(temporary, inputs);
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
    // rename() replaces the old file in one step; QFile::rename refuses to.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(zip).constData()) != 0) {
        const int error = errno;
        QFile::remove(temporary);
        throw SystemError::fromErrno(zip, error);
    }
}
