#include "engine/OperationJob.h"

#include <QDateTime>

#include <sys/eventfd.h>
#include <unistd.h>

OperationJob::OperationJob()
    : m_cancelFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

OperationJob::~OperationJob()
{
    if (m_cancelFd >= 0)
        ::close(m_cancelFd);
}

void OperationJob::cancel()
{
    int state = Running;
    if (!m_state.compare_exchange_strong(state, Cancelled, std::memory_order_acq_rel)
        && !(state == Settled && m_state.compare_exchange_strong(state, SettledCancelled, std::memory_order_acq_rel)))
        return;
    if (m_cancelFd >= 0) {
        const eventfd_t one = 1;
        [[maybe_unused]] const auto written = ::write(m_cancelFd, &one, sizeof one);
    }
    const std::lock_guard lock(m_mutex);
    m_answered.notify_all();
}

void OperationJob::answer(const Answer &answer)
{
    const std::lock_guard lock(m_mutex);
    if (!m_waiting)
        return;
    m_answer = answer;
    m_answered.notify_all();
}

void OperationJob::report(const OperationProgress &progress)
{
    if (!m_progressSink)
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    // The first percentage after a count (an extraction after its screening
    // listing) always passes: the bar changes kind at once.
    const bool determinate = progress.percent >= 0;
    if (determinate == m_lastDeterminate && now - m_lastReport < kReportInterval)
        return;
    m_lastReport = now;
    m_lastDeterminate = determinate;
    m_progressSink(progress);
}

bool OperationJob::settle()
{
    int state = Running;
    return m_state.compare_exchange_strong(state, Settled, std::memory_order_acq_rel);
}

std::optional<Answer> OperationJob::ask(const Question &question)
{
    const auto skip = [] { return Answer{false, {}, ConflictChoice::Skip, false}; };
    if (m_state.load(std::memory_order_acquire) == SettledCancelled)
        return skip();
    if (isCancelled() || !m_questionSink)
        return std::nullopt;
    {
        const std::lock_guard lock(m_mutex);
        m_waiting = true;
        m_answer.reset();
    }
    m_questionSink(question);
    std::unique_lock lock(m_mutex);
    m_answered.wait(lock, [this] {
        const int state = m_state.load();
        return m_answer || state == Cancelled || state == SettledCancelled;
    });
    m_waiting = false;
    if (!m_answer && m_state.load() == SettledCancelled)
        return skip();
    if (isCancelled() || !m_answer || m_answer->cancelled)
        return std::nullopt;
    return m_answer;
}
