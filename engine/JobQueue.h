#pragma once

#include "engine/Operation.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class ArchiveEngine;
class OperationJob;
class QObject;

// Runs operations on the global thread pool and hands their progress,
// questions and outcome to the context object's thread as queued calls, so
// callers never see a worker thread. Each start returns the job's handle,
// which cancels it from any thread. A queue that goes away cancels what it
// started and delivers nothing more.
class JobQueue
{
public:
    struct Callbacks {
        // Optional; at most one pending at a time per job.
        std::function<void(const OperationProgress &)> progress;
        // Optional; its answer goes back to the waiting job. Without it
        // every question is answered with a cancel.
        std::function<Answer(const Question &)> question;
        // Exactly once, unless the queue is gone by then.
        std::function<void(Outcome)> finished;
    };
    using Work = std::function<Outcome(OperationJob &)>;

    explicit JobQueue(QObject *context);
    ~JobQueue();
    JobQueue(const JobQueue &) = delete;
    JobQueue &operator=(const JobQueue &) = delete;

    std::shared_ptr<OperationJob> start(Work work, Callbacks callbacks);
    std::shared_ptr<OperationJob> start(const ArchiveEngine &engine, const OperationRequest &request,
                                        Callbacks callbacks);
    void cancelAll();
    // Jobs started and not yet delivered.
    int running() const;

private:
    // Shared with the workers, which may outlive the queue. Workers leave
    // calls here, and the receiver, in the context's thread, takes and runs
    // them: each call is made, run and destroyed on one side of the mutex.
    struct Link {
        std::mutex mutex;
        QObject *receiver = nullptr;   // null once the queue is gone
        std::deque<std::function<void()>> calls;
    };
    class Receiver;
    std::shared_ptr<Link> m_link;
    std::unique_ptr<Receiver> m_receiver;
    std::vector<std::weak_ptr<OperationJob>> m_jobs;
};
