#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// A failure of the operating system itself (a program that cannot be
// started, a folder that cannot be created), with the system's own message.
class SystemError : public std::exception
{
public:
    explicit SystemError(const QString &message) : m_message(message), m_what(message.toUtf8()) {}
    static SystemError fromErrno(const QString &context, int error);

    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_message;
    QByteArray m_what;
};
