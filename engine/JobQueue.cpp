#include "engine/JobQueue.h"

#include "engine/ArchiveEngine.h"
#include "engine/OperationJob.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>

namespace {

const QEvent::Type kCallPosted = QEvent::Type(QEvent::registerEventType());

// Leaves `call` for the context's thread unless the queue is gone. The event
// only wakes the receiver: Qt makes and deletes it, and the call itself never
// passes through Qt, so no worker touches it again once it is handed over.
template<typename Link>
void post(const std::shared_ptr<Link> &link, std::function<void()> call)
{
    const std::lock_guard lock(link->mutex);
    if (!link->receiver)
        return;
    link->calls.push_back(std::move(call));
    QCoreApplication::postEvent(link->receiver, new QEvent(kCallPosted));
}

} // namespace

class JobQueue::Receiver : public QObject
{
public:
    explicit Receiver(std::shared_ptr<Link> link) : m_link(std::move(link)) {}

    bool event(QEvent *event) override
    {
        if (event->type() != kCallPosted)
            return QObject::event(event);
        std::function<void()> call;
        {
            const std::lock_guard lock(m_link->mutex);
            if (m_link->calls.empty())
                return true;
            call = std::move(m_link->calls.front());
            m_link->calls.pop_front();
        }
        call();
        return true;
    }

private:
    std::shared_ptr<Link> m_link;
};

JobQueue::JobQueue(QObject *context)
    : m_link(std::make_shared<Link>())
    , m_receiver(std::make_unique<Receiver>(m_link))
{
    m_receiver->moveToThread(context->thread());
    m_link->receiver = m_receiver.get();
}

JobQueue::~JobQueue()
{
    // Calls still waiting go with the queue, in this thread.
    std::deque<std::function<void()>> dropped;
    {
        const std::lock_guard lock(m_link->mutex);
        m_link->receiver = nullptr;
        dropped.swap(m_link->calls);
    }
    cancelAll();
}

std::shared_ptr<OperationJob> JobQueue::start(Work work, Callbacks callbacks)
{
    auto job = std::make_shared<OperationJob>();
    auto shared = std::make_shared<Callbacks>(std::move(callbacks));
    const std::weak_ptr<OperationJob> weakJob = job;

    if (shared->progress) {
        // One progress call waits at a time; later reports replace its value.
        auto pending = std::make_shared<std::atomic<bool>>(false);
        auto latest = std::make_shared<OperationProgress>();
        auto latestMutex = std::make_shared<std::mutex>();
        job->setProgressSink([link = m_link, shared, pending, latest, latestMutex](const OperationProgress &progress) {
            {
                const std::lock_guard lock(*latestMutex);
                *latest = progress;
            }
            if (pending->exchange(true))
                return;
            post(link, [shared, pending, latest, latestMutex] {
                OperationProgress value;
                {
                    const std::lock_guard lock(*latestMutex);
                    value = *latest;
                }
                pending->store(false);
                shared->progress(value);
            });
        });
    }
    job->setQuestionSink([link = m_link, shared, weakJob](const Question &question) {
        post(link, [shared, weakJob, question] {
            const Answer answer = shared->question ? shared->question(question) : Answer{true, {}, ConflictChoice::Cancel, false};
            if (auto job = weakJob.lock())
                job->answer(answer);
        });
    });

    m_jobs.erase(std::remove_if(m_jobs.begin(), m_jobs.end(), [](const auto &weak) { return weak.expired(); }),
                 m_jobs.end());
    m_jobs.push_back(job);
    QThreadPool::globalInstance()->start([link = m_link, job, shared, work = std::move(work)] {
        Outcome outcome = work(*job);
        // The sinks hold the callbacks, which may hold the job's handle:
        // dropping them here, where they are used, breaks that cycle.
        job->setProgressSink({});
        job->setQuestionSink({});
        if (job->isCancelled())
            outcome.kind = Outcome::Kind::Cancelled;
        // The job stays alive until its outcome is delivered: running()
        // counts it until then.
        post(link, [shared, job, outcome = std::move(outcome)]() mutable {
            if (shared->finished)
                shared->finished(std::move(outcome));
        });
    });
    return job;
}

std::shared_ptr<OperationJob> JobQueue::start(const ArchiveEngine &engine, const OperationRequest &request,
                                              Callbacks callbacks)
{
    return start([engine, request](OperationJob &job) { return engine.execute(request, job); }, std::move(callbacks));
}

void JobQueue::cancelAll()
{
    for (const auto &weak : m_jobs) {
        if (auto job = weak.lock())
            job->cancel();
    }
}

int JobQueue::running() const
{
    return int(std::count_if(m_jobs.begin(), m_jobs.end(), [](const auto &weak) { return !weak.expired(); }));
}
