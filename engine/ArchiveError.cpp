#include "engine/ArchiveError.h"

#include <QCoreApplication>

#include <cstring>

ArchiveError::ArchiveError(Kind kind, const QString &output)
    : m_kind(kind), m_output(output)
{
    m_what = errorDescription().left(4096).toUtf8();
}

QString ArchiveError::errorDescription() const
{
    if (m_kind == Kind::EngineMissing)
        return QCoreApplication::translate("ArchiveError", "Corvex's archive engine is missing.");
    if (m_output.isEmpty())
        return QCoreApplication::translate("ArchiveError", "The archive operation failed.");
    return m_output;
}

SystemError SystemError::fromErrno(const QString &context, int error)
{
    return SystemError(QStringLiteral("%1: %2").arg(context, QString::fromLocal8Bit(std::strerror(error))));
}

QString describeError(const std::exception &error)
{
    if (auto archive = dynamic_cast<const ArchiveError *>(&error))
        return archive->errorDescription();
    if (auto system = dynamic_cast<const SystemError *>(&error))
        return system->message();
    return QString::fromUtf8(error.what());
}
