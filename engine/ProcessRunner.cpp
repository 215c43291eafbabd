#include "engine/ProcessRunner.h"

#include "engine/ArchiveError.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <deque>
#include <mutex>
#include <vector>

extern char **environ;

namespace {

// Owns a descriptor so that every exit path closes it.
struct Fd {
    int fd = -1;
    ~Fd() { reset(); }
    void reset()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
};

// Keeps the output, or its first and last halves once it grows past a limit.
// The tail is kept as the chunks that arrived, whole ones dropped from its
// front: a long successful listing is copied once, not moved about.
class OutputKeeper
{
public:
    explicit OutputKeeper(qsizetype limit) : m_limit(limit) {}

    void add(const char *data, qsizetype size)
    {
        if (m_limit < 0 || m_head.size() + size <= m_limit / 2) {
            m_head.append(data, size);
            return;
        }
        if (m_head.size() < m_limit / 2) {
            const qsizetype room = m_limit / 2 - m_head.size();
            m_head.append(data, room);
            data += room;
            size -= room;
        }
        m_truncated = true;
        if (size == 0)
            return;
        m_tail.emplace_back(data, size);
        m_tailSize += size;
        while (!m_tail.empty() && m_tailSize - m_tail.front().size() >= m_limit / 2) {
            m_tailSize -= m_tail.front().size();
            m_tail.pop_front();
        }
    }

    ProcessRunner::Result take()
    {
        ProcessRunner::Result result;
        result.truncated = m_truncated;
        if (!m_truncated) {
            result.output = std::move(m_head);
            return result;
        }
        QByteArray tail;
        tail.reserve(m_tailSize);
        for (const QByteArray &chunk : m_tail)
            tail.append(chunk);
        if (tail.size() > m_limit / 2)
            tail.remove(0, tail.size() - m_limit / 2);
        // Cut at line breaks so that no character is split.
        const qsizetype headEnd = m_head.lastIndexOf('\n');
        if (headEnd >= 0)
            m_head.truncate(headEnd + 1);
        const qsizetype tailStart = tail.indexOf('\n');
        if (tailStart >= 0)
            tail.remove(0, tailStart + 1);
        result.output = m_head + QByteArray("\xE2\x80\xA6\n") + tail;
        return result;
    }

private:
    qsizetype m_limit;
    QByteArray m_head;
    std::deque<QByteArray> m_tail;
    qsizetype m_tailSize = 0;
    bool m_truncated = false;
};

constexpr int kPipeSize = 1 << 20;

void makePipe(Fd &readEnd, Fd &writeEnd)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw SystemError::fromErrno(QCoreApplication::translate("ProcessRunner", "Cannot create a pipe"), errno);
    readEnd.fd = fds[0];
    writeEnd.fd = fds[1];
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

} // namespace

ProcessRunner::Result ProcessRunner::run(const QString &program, const QStringList &arguments,
                                         const Options &options)
{
    const QByteArray programPath = QFile::encodeName(program);
    std::vector<QByteArray> argumentBytes;
    argumentBytes.reserve(size_t(arguments.size()) + 1);
    argumentBytes.push_back(programPath);
    for (const QString &argument : arguments)
        argumentBytes.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &bytes : argumentBytes)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);
    const QByteArray workingFolder = QFile::encodeName(options.workingFolder);

    // The inherited environment, less what the caller replaces, then the
    // caller's entries.
    std::vector<QByteArray> environmentBytes;
    std::vector<char *> envp;
    if (!options.environment.isEmpty()) {
        for (const QString &entry : options.environment)
            environmentBytes.push_back(QFile::encodeName(entry));
        auto replaced = [&environmentBytes](const char *variable) {
            for (const QByteArray &entry : environmentBytes) {
                const qsizetype nameEnd = entry.indexOf('=') + 1;
                if (nameEnd > 0 && std::strncmp(variable, entry.constData(), size_t(nameEnd)) == 0)
                    return true;
            }
            return false;
        };
        for (char **variable = environ; *variable; ++variable) {
            if (!replaced(*variable))
                envp.push_back(*variable);
        }
        for (QByteArray &entry : environmentBytes)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
    }

    // Close-on-exec from the start, so children that other threads start
    // meanwhile never inherit these pipes.
    Fd readEnd, writeEnd, inputRead, inputWrite;
    makePipe(readEnd, writeEnd);
    if (options.input) {
        ignoreBrokenPipes();
        makePipe(inputRead, inputWrite);
        ::fcntl(inputWrite.fd, F_SETFL, O_NONBLOCK);
    }
    // Room for what the program writes while the reader pauses (below).
    const bool largePipe = ::fcntl(readEnd.fd, F_SETPIPE_SZ, kPipeSize) >= kPipeSize;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (options.input)
        posix_spawn_file_actions_adddup2(&actions, inputRead.fd, 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.fd, 1);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.fd, 2);
    // Nothing else of ours reaches the child, close-on-exec or not.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    if (!workingFolder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.constData());

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signalSet;
    sigemptyset(&signalSet);
    posix_spawnattr_setsigmask(&attributes, &signalSet);
    sigfillset(&signalSet);
    posix_spawnattr_setsigdefault(&attributes, &signalSet);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int spawnError = posix_spawn(&pid, programPath.constData(), &actions, &attributes,
                                       argv.data(), envp.empty() ? environ : envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    writeEnd.reset();
    inputRead.reset();
    if (spawnError != 0) {
        QString context = QCoreApplication::translate("ProcessRunner", "Cannot start “%1”").arg(program);
        if (!options.workingFolder.isEmpty() && spawnError == ENOENT && QFile::exists(program))
            context = QCoreApplication::translate("ProcessRunner", "Cannot start “%1” in “%2”")
                          .arg(program, options.workingFolder);
        throw SystemError::fromErrno(context, spawnError);
    }

    auto reap = [pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return status;
    };

    OutputKeeper keeper(options.keepLimit);
    bool cancelled = false;
    try {
        QByteArray buffer(1 << 20, Qt::Uninitialized);
        QByteArrayView pendingInput = options.input ? QByteArrayView(*options.input) : QByteArrayView();
        if (options.input && pendingInput.isEmpty())
            inputWrite.reset();
        qint64 killAt = 0;
        for (;;) {
            pollfd fds[3];
            nfds_t count = 0;
            fds[count++] = {readEnd.fd, POLLIN, 0};
            const nfds_t cancelIndex = count;
            if (options.cancelFd >= 0 && !cancelled)
                fds[count++] = {options.cancelFd, POLLIN, 0};
            const nfds_t inputIndex = count;
            if (inputWrite.fd >= 0)
                fds[count++] = {inputWrite.fd, POLLOUT, 0};
            const int timeout = cancelled ? int(std::max<qint64>(0, killAt - monotonicMs())) : -1;
            const int ready = ::poll(fds, count, timeout);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0)
                throw SystemError::fromErrno(
                    QCoreApplication::translate("ProcessRunner", "Cannot wait for “%1”").arg(program), errno);
            if (ready == 0 && cancelled) {
                // It did not end in time: no more waiting for its output.
                ::kill(pid, SIGKILL);
                break;
            }
            if (cancelIndex < count && fds[cancelIndex].fd == options.cancelFd && fds[cancelIndex].revents) {
                cancelled = true;
                killAt = monotonicMs() + options.graceMs;
                ::kill(pid, SIGTERM);
            }
            if (inputIndex < count && fds[inputIndex].fd == inputWrite.fd && fds[inputIndex].revents) {
                const ssize_t written = ::write(inputWrite.fd, pendingInput.data(), size_t(pendingInput.size()));
                if (written > 0)
                    pendingInput = pendingInput.sliced(written);
                // Closed after the last byte, or when the program stopped
                // reading: it can never wait for another line.
                if (pendingInput.isEmpty() || (written < 0 && errno != EAGAIN && errno != EINTR))
                    inputWrite.reset();
            }
            if (!fds[0].revents)
                continue;
            const ssize_t n = ::read(readEnd.fd, buffer.data(), size_t(buffer.size()));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            if (options.onOutput)
                options.onOutput(QByteArrayView(buffer.constData(), n));
            keeper.add(buffer.constData(), n);
            // The tool writes 4 KiB at a time: reading each as it comes
            // costs both processes a switch per write, more than the parsing.
            // After a short read, a pause lets the output gather instead;
            // the pipe holds far more than the tool writes meanwhile.
            if (largePipe && n < kPipeSize / 4 && !cancelled) {
                timespec pause{0, 1000000};
                ::nanosleep(&pause, nullptr);
            }
        }
    } catch (...) {
        // No child outlives its call, not even when the reader fails.
        ::kill(pid, SIGKILL);
        reap();
        throw;
    }
    readEnd.reset();
    inputWrite.reset();
    const int waitStatus = reap();

    Result result = keeper.take();
    result.cancelled = cancelled;
    if (WIFSIGNALED(waitStatus)) {
        result.signalled = true;
        result.status = 128 + WTERMSIG(waitStatus);
    } else {
        result.status = WEXITSTATUS(waitStatus);
    }
    return result;
}
