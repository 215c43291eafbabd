#include "engine/ToolPassword.h"

#include <QCoreApplication>

#include <algorithm>

std::optional<QByteArray> ToolPassword::standardInput(const QString &password)
{
    const bool oneLine = std::none_of(password.begin(), password.end(), [](QChar c) {
        return c == QLatin1Char('\n') || c == QLatin1Char('\0');
    });
    if (!oneLine)
        return std::nullopt;
    return password.toUtf8() + '\n';
}

QString ToolPassword::newZipProblem(const QString &password)
{
    const bool printableAscii = std::all_of(password.begin(), password.end(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7f;
    });
    if (!printableAscii)
        return QCoreApplication::translate("ToolPassword",
                                           "A ZIP password can hold only letters A–Z and a–z, digits, spaces "
                                           "and the punctuation on an English keyboard.");
    if (password.size() > kZipAesMaxLength)
        return QCoreApplication::translate("ToolPassword", "A ZIP password can be at most %1 characters long.")
            .arg(kZipAesMaxLength);
    return QString();
}
