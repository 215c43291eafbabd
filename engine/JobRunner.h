#pragma once

#include "engine/Operation.h"

#include "engine/ThreadHandoff.h"

#include <functional>
#include <memory>
#include <vector>

class ArchiveEngine;
class OperationJob;
class QObject;

// Runs operations on the global thread pool and hands their progress,
// questions and outcome to the context object's thread as queued calls, so
// callers never see a worker thread. Each start returns the job's handle,
// which cancels it from any thread. A runner that goes away cancels what it
// started and delivers nothing more.
class JobRunner
{
public:
    struct Callbacks {
        // Optional; at most one pending at a time per job.
        std::function<void(const OperationProgress &)> progress;
        // Optional; its answer goes back to the waiting job. Without it
        // every question is answered with a cancel.
        std::function<Answer(const Question &)> question;
        // Exactly once, unless the runner is gone by then.
        std::function<void(Outcome)> finished;
    };
    using Work = std::function<Outcome(OperationJob &)>;

    explicit JobRunner(QObject *context);
    ~JobRunner();
    JobRunner(const JobRunner &) = delete;
    JobRunner &operator=(const JobRunner &) = delete;

    std::shared_ptr<OperationJob> start(Work work, Callbacks callbacks);
    std::shared_ptr<OperationJob> start(const ArchiveEngine &engine, const OperationRequest &request,
                                        Callbacks callbacks);
    void cancelAll();
    // Jobs started and not yet delivered.
    int running() const;

private:
    ThreadHandoff m_handoff;
    std::vector<std::weak_ptr<OperationJob>> m_jobs;
};
