#include "engine/ProcessRunner.h"

#include "engine/FileOps.h"
#include "engine/OutputKeeper.h"
#include "engine/SystemError.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <mutex>

extern char **environ;

namespace {

using FileOps::Fd;

constexpr int kPipeSize = 1 << 20;
constexpr qsizetype kFeedChunk = 256 * 1024;

// Close-on-exec from the start, so children that other threads start
// meanwhile never inherit these pipes.
void makePipe(Fd &readEnd, Fd &writeEnd)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw SystemError::fromErrno(QCoreApplication::translate("ProcessRunner", "Cannot create a pipe"), errno);
    readEnd.reset(fds[0]);
    writeEnd.reset(fds[1]);
}

// A program that exits before reading its input must not end ours.
void ignoreBrokenPipes()
{
    static std::once_flag once;
    std::call_once(once, [] { ::signal(SIGPIPE, SIG_IGN); });
}

qint64 monotonicMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The inherited environment, less what the caller replaces, then the
// caller's entries; empty when the caller has none.
std::vector<char *> environmentFor(const QStringList &entries, std::vector<QByteArray> &storage)
{
    std::vector<char *> envp;
    if (entries.isEmpty())
        return envp;
    for (const QString &entry : entries)
        storage.push_back(QFile::encodeName(entry));
    auto replaced = [&storage](const char *variable) {
        return std::any_of(storage.begin(), storage.end(), [variable](const QByteArray &entry) {
            const qsizetype nameEnd = entry.indexOf('=') + 1;
            return nameEnd > 0 && std::strncmp(variable, entry.constData(), size_t(nameEnd)) == 0;
        });
    };
    for (char **variable = environ; *variable; ++variable) {
        if (!replaced(*variable))
            envp.push_back(*variable);
    }
    for (QByteArray &entry : storage)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    return envp;
}

// Starts one run with the given descriptors as its standard streams
// (input -1: the null device). Throws SystemError.
pid_t spawn(const ToolCommand &command, char **envp, int input, int output, int errors)
{
    const QByteArray programPath = QFile::encodeName(command.program);
    std::vector<QByteArray> argumentBytes{programPath};
    for (const QString &argument : command.arguments)
        argumentBytes.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &bytes : argumentBytes)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);
    const QByteArray workingFolder = QFile::encodeName(command.workingFolder);

    // Entered through a descriptor: a path past PATH_MAX (a staging folder
    // in a deep destination) is fine for the tool, not for chdir(2).
    const FileOps::Fd folder(workingFolder.isEmpty() ? -1 : FileOps::openFolder(workingFolder));
    if (!workingFolder.isEmpty() && folder.get() < 0)
        throw SystemError::fromErrno(QCoreApplication::translate("ProcessRunner", "Cannot start “%1” in “%2”")
                                         .arg(command.program, command.workingFolder), errno);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (folder.get() >= 0)
        posix_spawn_file_actions_addfchdir_np(&actions, folder.get());
    if (input >= 0)
        posix_spawn_file_actions_adddup2(&actions, input, 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, 1);
    posix_spawn_file_actions_adddup2(&actions, errors, 2);
    // Nothing else of ours reaches the child, close-on-exec or not.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    // Our own SIGPIPE is ignored; the child gets the default back, so that a
    // run whose reader is gone ends at once.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signalSet;
    sigemptyset(&signalSet);
    posix_spawnattr_setsigmask(&attributes, &signalSet);
    sigfillset(&signalSet);
    posix_spawnattr_setsigdefault(&attributes, &signalSet);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int spawnError = posix_spawn(&pid, programPath.constData(), &actions, &attributes, argv.data(),
                                       envp ? envp : environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawnError != 0) {
        throw SystemError::fromErrno(
            QCoreApplication::translate("ProcessRunner", "Cannot start “%1”").arg(command.program), spawnError);
    }
    return pid;
}

int reap(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// What goes to the first run's standard input: the password line, or the
// plan's file read piece by piece (pread: the descriptor's offset is not ours).
class Feeder
{
public:
    Feeder(const ToolPlan &plan, const ProcessRunner::Options &options) : m_fileFd(plan.inputFd)
    {
        if (m_fileFd >= 0) {
            struct stat info;
            m_size = ::fstat(m_fileFd, &info) == 0 ? qint64(info.st_size) : 0;
        } else if (options.input) {
            m_pending = *options.input;
        }
    }

    // Writes what the pipe takes; false once there is nothing more to feed
    // (or the run stopped reading), when the pipe is to be closed.
    bool feed(int pipe, const ProcessRunner::Options &options)
    {
        if (m_position == m_pending.size() && m_fileFd >= 0) {
            m_pending.resize(kFeedChunk);
            const ssize_t n = ::pread(m_fileFd, m_pending.data(), size_t(kFeedChunk), m_offset);
            if (n < 0 && errno == EINTR)
                return true;
            // A read error ends the input early: the run then fails on it.
            m_pending.resize(std::max<ssize_t>(n, 0));
            m_position = 0;
            m_offset += std::max<ssize_t>(n, 0);
        }
        if (m_position == m_pending.size())
            return false;
        const ssize_t written
            = ::write(pipe, m_pending.constData() + m_position, size_t(m_pending.size() - m_position));
        if (written < 0)
            return errno == EAGAIN || errno == EINTR;
        m_position += written;
        m_fed += written;
        if (m_fileFd >= 0 && options.onFed)
            options.onFed(m_fed, m_size);
        return m_fileFd >= 0 || m_position < m_pending.size();
    }

private:
    int m_fileFd;
    qint64 m_size = 0;
    qint64 m_offset = 0;
    qint64 m_fed = 0;
    QByteArray m_pending;
    qsizetype m_position = 0;
};

} // namespace

bool ProcessRunner::Result::lostItsReader() const
{
    return signalled && status == 128 + SIGPIPE;
}

int ProcessRunner::PlanResult::failedStage() const
{
    for (size_t i = 0; i < stages.size(); ++i) {
        if (stages[i].status != 0 && !stages[i].lostItsReader())
            return int(i);
    }
    return -1;
}

namespace {

ProcessRunner::PlanResult runPlan(const ToolPlan &plan, const ProcessRunner::Options &options);

} // namespace

ProcessRunner::PlanResult ProcessRunner::run(const ToolPlan &plan, const Options &options)
{
    try {
        return runPlan(plan, options);
    } catch (const SystemError &error) {
        PlanResult result;
        result.problem = error.message();
        return result;
    }
}

namespace {

ProcessRunner::PlanResult runPlan(const ToolPlan &plan, const ProcessRunner::Options &options)
{
    using Result = ProcessRunner::Result;
    using PlanResult = ProcessRunner::PlanResult;
    const size_t count = plan.stages.size();
    PlanResult planResult;
    if (count == 0)
        return planResult;
    const bool feeding = plan.inputFd >= 0 || (options.input && plan.stages.front().takesPassword);
    for (size_t i = 0; i < count; ++i) {
        if (plan.stages[i].takesPassword && (i > 0 || plan.inputFd >= 0))
            throw SystemError(QStringLiteral("A password can go only to a run whose standard input is free."));
    }

    // ToolPlan::listingBeside: the output of the run `source` comes to us,
    // and we pass it on to the run `side` and to the last.
    const bool beside = plan.listingBeside && count >= 3;
    const size_t side = count - 2;
    const size_t source = count - 3;
    std::vector<Fd> outRead(count), outWrite(count), linkRead(count), linkWrite(count);
    Fd inputRead, inputWrite, sideRead, sideWrite, copyRead, copyWrite;
    for (size_t i = 0; i < count; ++i) {
        makePipe(outRead[i], outWrite[i]);
        if (i + 1 < count) {
            makePipe(linkRead[i], linkWrite[i]);
            ::fcntl(linkRead[i].get(), F_SETPIPE_SZ, kPipeSize);
        }
    }
    if (beside) {
        ignoreBrokenPipes();
        makePipe(sideRead, sideWrite);
        ::fcntl(sideWrite.get(), F_SETFL, O_NONBLOCK);
        ::fcntl(sideWrite.get(), F_SETPIPE_SZ, kPipeSize);
    }
    if (feeding) {
        ignoreBrokenPipes();
        makePipe(inputRead, inputWrite);
        ::fcntl(inputWrite.get(), F_SETFL, O_NONBLOCK);
        ::fcntl(inputWrite.get(), F_SETPIPE_SZ, kPipeSize);
    }
    // Room for what the last run writes while the reader pauses (below).
    const bool largePipe = ::fcntl(outRead[beside ? side : count - 1].get(), F_SETPIPE_SZ, kPipeSize) >= kPipeSize;

    std::vector<QByteArray> environmentBytes;
    std::vector<char *> envp = environmentFor(options.environment, environmentBytes);
    std::vector<pid_t> pids;
    // A run already reaped is not signalled: its number may be another's now.
    std::vector<int> waitStatus(count, -1);
    const auto signalAll = [&pids, &waitStatus](int signal) {
        for (size_t i = 0; i < pids.size(); ++i) {
            if (waitStatus[i] < 0)
                ::kill(pids[i], signal);
        }
    };
    try {
        for (size_t i = 0; i < count; ++i) {
            int input = i > 0 ? linkRead[i - 1].get() : feeding ? inputRead.get() : -1;
            int output = i + 1 < count ? linkWrite[i].get() : outWrite[i].get();
            if (beside && i == side)
                input = sideRead.get(), output = outWrite[i].get();
            pids.push_back(spawn(plan.stages[i], envp.empty() ? nullptr : envp.data(), input, output, outWrite[i].get()));
        }
    } catch (...) {
        signalAll(SIGKILL);
        for (const pid_t pid : pids)
            reap(pid);
        throw;
    }
    // What the last run leaves of its input, read once it has ended well.
    Fd rest;
    if (plan.lastReadsAll && count > 1)
        rest.reset(::fcntl(linkRead[count - 2].get(), F_DUPFD_CLOEXEC, 0));
    if (beside) {
        copyRead.reset(linkRead[source].release());
        copyWrite.reset(linkWrite[side].release());
        ::fcntl(copyWrite.get(), F_SETFL, O_NONBLOCK);
    }
    for (size_t i = 0; i < count; ++i) {
        outWrite[i].reset();
        linkRead[i].reset();
        linkWrite[i].reset();
    }
    inputRead.reset();
    sideRead.reset();
    // The piece read from `source`, and how much of it each reader has.
    QByteArray copied(kFeedChunk, Qt::Uninitialized);
    qsizetype copiedSize = 0, toSide = 0, toLast = 0;
    // A reader that stopped reading gets no more; with neither left, the
    // source loses its reader too.
    const auto pass = [&copied, &copiedSize](Fd &to, qsizetype &at) {
        const ssize_t n = ::write(to.get(), copied.constData() + at, size_t(copiedSize - at));
        if (n >= 0)
            at += n;
        else if (errno != EAGAIN && errno != EINTR)
            to.reset();
        if (to.get() < 0)
            at = copiedSize;
    };

    std::vector<OutputKeeper> keepers(count, OutputKeeper(options.keepLimit));
    Feeder feeder(plan, options);
    bool cancelled = false;
    bool draining = false;
    try {
        QByteArray buffer(1 << 20, Qt::Uninitialized);
        qint64 killAt = 0;
        size_t open = count;
        std::vector<pollfd> fds;
        while (open > 0 || rest.get() >= 0) {
            fds.clear();
            for (size_t i = 0; i < count; ++i)
                fds.push_back({outRead[i].get(), POLLIN, 0});   // a negative fd is skipped
            const bool watchCancel = options.cancelFd >= 0 && !cancelled;
            fds.push_back({watchCancel ? options.cancelFd : -1, POLLIN, 0});
            fds.push_back({inputWrite.get(), POLLOUT, 0});
            fds.push_back({draining ? rest.get() : -1, POLLIN, 0});
            const bool copiedAll = toSide == copiedSize && toLast == copiedSize;
            fds.push_back({copiedAll ? copyRead.get() : -1, POLLIN, 0});
            fds.push_back({toSide < copiedSize ? sideWrite.get() : -1, POLLOUT, 0});
            fds.push_back({toLast < copiedSize ? copyWrite.get() : -1, POLLOUT, 0});
            const int timeout = cancelled ? int(std::max<qint64>(0, killAt - monotonicMs())) : -1;
            const int ready = ::poll(fds.data(), nfds_t(fds.size()), timeout);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0)
                throw SystemError::fromErrno(QCoreApplication::translate("ProcessRunner", "Cannot wait for “%1”")
                                                 .arg(plan.stages.front().program),
                                             errno);
            if (ready == 0 && cancelled) {
                // They did not end in time: no more waiting for their output.
                signalAll(SIGKILL);
                break;
            }
            if (fds[count].revents) {
                rest.reset();
                cancelled = true;
                killAt = monotonicMs() + options.graceMs;
                signalAll(SIGTERM);
            }
            // Closed after the last byte, or when the run stopped reading:
            // it can never wait for another line.
            if (fds[count + 1].revents && !feeder.feed(inputWrite.get(), options))
                inputWrite.reset();
            if (fds[count + 2].revents) {
                const ssize_t n = ::read(rest.get(), buffer.data(), size_t(buffer.size()));
                const bool zeros = std::all_of(buffer.constData(), buffer.constData() + std::max<ssize_t>(n, 0),
                                               [](char c) { return c == 0; });
                planResult.leftData = !zeros;
                // At its end, or once it holds data: the first run then loses its reader.
                if (n == 0 || (n < 0 && errno != EINTR) || !zeros)
                    rest.reset();
            }
            if (fds[count + 3].revents) {
                const ssize_t n = ::read(copyRead.get(), copied.data(), size_t(copied.size()));
                if (n == 0 || (n < 0 && errno != EINTR)) {
                    // Its end, given on to both.
                    copyRead.reset(), sideWrite.reset(), copyWrite.reset();
                } else if (n > 0) {
                    copiedSize = n;
                    toSide = sideWrite.get() >= 0 ? 0 : n;
                    toLast = copyWrite.get() >= 0 ? 0 : n;
                }
            }
            if (fds[count + 4].revents)
                pass(sideWrite, toSide);
            if (fds[count + 5].revents)
                pass(copyWrite, toLast);
            if (beside && sideWrite.get() < 0 && copyWrite.get() < 0)
                copyRead.reset();
            for (size_t i = 0; i < count; ++i) {
                if (!fds[i].revents)
                    continue;
                const ssize_t n = ::read(outRead[i].get(), buffer.data(), size_t(buffer.size()));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0) {
                    outRead[i].reset();
                    --open;
                    // The last run has ended: its input's rest is read only
                    // if it ended well.
                    if (i + 1 == count && rest.get() >= 0) {
                        waitStatus[i] = reap(pids[i]);
                        draining = !cancelled && WIFEXITED(waitStatus[i]) && WEXITSTATUS(waitStatus[i]) == 0;
                        if (!draining)
                            rest.reset();
                    }
                    continue;
                }
                if (options.onOutput)
                    options.onOutput(int(i), QByteArrayView(buffer.constData(), n));
                keepers[i].add(buffer.constData(), n);
                // The tool writes 4 KiB at a time: reading each as it comes
                // costs both processes a switch per write, more than the
                // parsing. After a short read, a pause lets the output gather
                // instead; the pipe holds far more than the tool writes meanwhile.
                if (i == (beside ? side : count - 1) && largePipe && n < kPipeSize / 4 && !cancelled) {
                    timespec pause{0, 1000000};
                    ::nanosleep(&pause, nullptr);
                }
            }
        }
    } catch (...) {
        // No child outlives its call, not even when the reader fails.
        signalAll(SIGKILL);
        for (size_t i = 0; i < count; ++i) {
            if (waitStatus[i] < 0)
                reap(pids[i]);
        }
        throw;
    }
    for (size_t i = 0; i < count; ++i)
        outRead[i].reset();
    inputWrite.reset();
    rest.reset();

    planResult.cancelled = cancelled;
    for (size_t i = 0; i < count; ++i) {
        if (waitStatus[i] < 0)
            waitStatus[i] = reap(pids[i]);
        Result result;
        result.truncated = keepers[i].truncated();
        result.output = keepers[i].take();
        result.cancelled = cancelled;
        result.signalled = WIFSIGNALED(waitStatus[i]);
        result.status = result.signalled ? 128 + WTERMSIG(waitStatus[i]) : WEXITSTATUS(waitStatus[i]);
        planResult.stages.push_back(std::move(result));
    }
    return planResult;
}

} // namespace

ProcessRunner::Result ProcessRunner::run(const QString &program, const QStringList &arguments,
                                         const Options &options)
{
    ToolPlan plan;
    plan.stages.push_back({program, arguments, options.workingFolder, options.input.has_value()});
    PlanResult result = run(plan, options);
    if (!result.problem.isEmpty()) {
        Result failed;
        failed.problem = result.problem;
        return failed;
    }
    return std::move(result.stages.front());
}
