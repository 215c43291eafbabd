#include "engine/JobRunner.h"

#include "engine/ArchiveEngine.h"
#include "engine/OperationJob.h"

#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <mutex>

JobRunner::JobRunner(QObject *context) : m_handoff(context) {}

JobRunner::~JobRunner()
{
    cancelAll();
}

std::shared_ptr<OperationJob> JobRunner::start(Work work, Callbacks callbacks)
{
    auto job = std::make_shared<OperationJob>();
    auto shared = std::make_shared<Callbacks>(std::move(callbacks));
    const std::weak_ptr<OperationJob> weakJob = job;

    if (shared->progress) {
        // One progress call waits at a time; later reports replace its value.
        auto pending = std::make_shared<std::atomic<bool>>(false);
        auto latest = std::make_shared<OperationProgress>();
        auto latestMutex = std::make_shared<std::mutex>();
        job->setProgressSink([post = m_handoff.poster(), shared, pending, latest, latestMutex](const OperationProgress &progress) {
            {
                const std::lock_guard lock(*latestMutex);
                *latest = progress;
            }
            if (pending->exchange(true))
                return;
            post([shared, pending, latest, latestMutex] {
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
    job->setQuestionSink([post = m_handoff.poster(), shared, weakJob](const Question &question) {
        post([shared, weakJob, question] {
            const Answer answer = shared->question ? shared->question(question) : Answer::cancel();
            if (auto job = weakJob.lock())
                job->answer(answer);
        });
    });

    m_jobs.erase(std::remove_if(m_jobs.begin(), m_jobs.end(), [](const auto &weak) { return weak.expired(); }),
                 m_jobs.end());
    m_jobs.push_back(job);
    QThreadPool::globalInstance()->start([post = m_handoff.poster(), job, shared, work = std::move(work)] {
        Outcome outcome = work(*job);
        // The sinks hold the callbacks, which may hold the job's handle:
        // dropping them here, where they are used, breaks that cycle.
        job->setProgressSink({});
        job->setQuestionSink({});
        if (job->isCancelled())
            outcome.kind = Outcome::Kind::Cancelled;
        // The job stays alive until its outcome is delivered: running()
        // counts it until then.
        post([shared, job, outcome = std::move(outcome)]() mutable {
            if (shared->finished)
                shared->finished(std::move(outcome));
        });
    });
    return job;
}

std::shared_ptr<OperationJob> JobRunner::start(const ArchiveEngine &engine, const OperationRequest &request,
                                              Callbacks callbacks)
{
    return start([engine, request](OperationJob &job) { return engine.execute(request, job); }, std::move(callbacks));
}

void JobRunner::cancelAll()
{
    for (const auto &weak : m_jobs) {
        if (auto job = weak.lock())
            job->cancel();
    }
}

int JobRunner::running() const
{
    return int(std::count_if(m_jobs.begin(), m_jobs.end(), [](const auto &weak) { return !weak.expired(); }));
}
