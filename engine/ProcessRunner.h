#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Runs one program to its end: no shell, standard input from the null
// device or from given bytes, standard output and standard error in one pipe
// (in the order written), drained while the program runs. It can be stopped
// from another thread. Safe from several threads.
class ProcessRunner
{
public:
    struct Options {
        // Empty: the caller's working folder.
        QString workingFolder;
        // Sees every chunk of output as it arrives.
        std::function<void(QByteArrayView)> onOutput;
        // "NAME=value" entries set for the program on top of the inherited
        // environment, replacing any variable of the same name.
        QStringList environment;
        // How much output to keep for the result; past it the first and
        // the last halves are kept, cut at line breaks. Negative: all.
        qsizetype keepLimit = -1;
        // Written to the program's standard input, which is then closed; with
        // none, standard input is the null device. Never an argument or an
        // environment entry: those are readable by every local user.
        std::optional<QByteArray> input;
        // Once readable, the program is asked to stop (SIGTERM) and killed
        // after `graceMs` (SIGKILL); -1: never.
        int cancelFd = -1;
        int graceMs = 150;
    };

    struct Result {
        // Exit status; a program ended by a signal counts as 128 + signal.
        int status = 0;
        bool signalled = false;
        QByteArray output;
        // Output was longer than keepLimit and its middle was left out.
        bool truncated = false;
        // The run was stopped through cancelFd.
        bool cancelled = false;
    };


    // Throws SystemError when the program cannot be started.
    static Result run(const QString &program, const QStringList &arguments, const Options &options);
    static Result run(const QString &program, const QStringList &arguments)
    {
        return run(program, arguments, Options{});
    }
};
