#pragma once

#include "engine/ToolPlan.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// Runs a plan of programs (ToolPlan: one, or a pipeline) to its end: no
// shell; each run's standard error, and the last one's standard output in
// the same pipe (in the order written), drained while the programs run.
// It can be stopped from another thread. Safe from several threads.
class ProcessRunner
{
public:
    struct Options {
        // The one-program form only: its working folder (empty: the caller's).
        QString workingFolder;
        // Sees every chunk of each run's own output as it arrives, with the
        // run's index in the plan.
        std::function<void(int stage, QByteArrayView)> onOutput;
        // Sees how much of the plan's input file has been fed, of its size.
        std::function<void(qint64 fed, qint64 size)> onFed;
        // "NAME=value" entries set for every run on top of the inherited
        // environment, replacing any variable of the same name.
        QStringList environment;
        // How much of each run's output to keep for the result; past it the
        // first and the last halves are kept, cut at line breaks. Negative: all.
        qsizetype keepLimit = -1;
        // Written to the standard input of the run that takes the password
        // (ToolCommand::takesPassword; in the one-program form, the program),
        // which is then closed; a run's standard input that nothing feeds is
        // the null device. Never an argument or an environment entry: those
        // are readable by every local user.
        std::optional<QByteArray> input;
        // Once readable, every run is asked to stop (SIGTERM) and killed
        // after `graceMs` (SIGKILL); -1: never.
        int cancelFd = -1;
        int graceMs = 150;
    };

    // How one run ended.
    struct Result {
        // Exit status; a program ended by a signal counts as 128 + signal.
        int status = 0;
        bool signalled = false;
        QByteArray output;
        // Output was longer than keepLimit and its middle was left out.
        bool truncated = false;
        // The run was stopped through cancelFd.
        bool cancelled = false;
        // Why the program could not be run, in the system's words; when set,
        // nothing else here counts.
        QString problem;

        // Ended by writing to a pipe nobody reads any more (measured: 7zz
        // dies of SIGPIPE when the next run exits).
        bool lostItsReader() const;
    };

    struct PlanResult {
        std::vector<Result> stages;
        bool cancelled = false;
        // ToolPlan::lastReadsAll: the last run succeeded, yet left data
        // other than zeros unread.
        bool leftData = false;
        // Why the plan could not be run (a program that cannot be started:
        // those started are killed), in the system's words.
        QString problem;
        // The run whose failure is the plan's: the first that failed other
        // than by losing its reader; -1 when none did.
        int failedStage() const;
    };

    // Every run of the plan is reaped before this returns.
    static PlanResult run(const ToolPlan &plan, const Options &options);

    // One program.
    static Result run(const QString &program, const QStringList &arguments, const Options &options);
    static Result run(const QString &program, const QStringList &arguments)
    {
        return run(program, arguments, Options{});
    }
};
