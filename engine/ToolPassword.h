#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// How a password reaches the tool, and which ones it takes for a new ZIP.
// A password never goes into the tool's arguments or environment: other
// local users can read both. It goes to standard input as one line, which
// the tool reads once per run (later lines are never read).
class ToolPassword
{
public:
    // The password in UTF-8 and a newline; nullopt when it cannot be one
    // line (it holds a line break or a NUL, where the tool would cut it).
    static std::optional<QByteArray> standardInput(const QString &password);

    // Why the tool would refuse `password` for a new AES-256 ZIP (it takes
    // printable ASCII only, at most 99 characters, and fails the whole
    // run otherwise); empty when it takes it. Empty means no password.
    static QString newZipProblem(const QString &password);

    static constexpr qsizetype kZipAesMaxLength = 99;
};
