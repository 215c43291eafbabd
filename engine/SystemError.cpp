#include "engine/SystemError.h"

#include <cstring>

SystemError SystemError::fromErrno(const QString &context, int error)
{
    return SystemError(QStringLiteral("%1: %2").arg(context, QString::fromLocal8Bit(std::strerror(error))));
}
