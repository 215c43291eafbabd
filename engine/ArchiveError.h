#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// The engine's own failure: the tool ran and failed, or it is not there.
class ArchiveError : public std::exception
{
public:
    enum class Kind { CommandFailed, EngineMissing };

    static ArchiveError commandFailed(const QString &output) { return ArchiveError(Kind::CommandFailed, output); }
    static ArchiveError engineMissing() { return ArchiveError(Kind::EngineMissing, QString()); }

    Kind kind() const { return m_kind; }
    // The text the user reads.
    QString errorDescription() const;
    const char *what() const noexcept override { return m_what.constData(); }

private:
    ArchiveError(Kind kind, const QString &output);

    Kind m_kind;
    QString m_output;
    QByteArray m_what;
};

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

// The message an error alert shows for any error the engine lets through.
QString describeError(const std::exception &error);
