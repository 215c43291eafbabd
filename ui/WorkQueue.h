#pragma once

#include <QMutex>
#include <QString>
#include <functional>
#include <memory>

class QObject;

// Runs the window's background work on the global thread pool and hands each
// result back to the context object's thread as exactly one queued call.
// Results that arrive once the queue (and so its owner) is gone are dropped.
class WorkQueue
{
public:
    // Runs on the main thread with the outcome of one piece of work.
    using Completion = std::function<void()>;
    // Runs on a worker; returns the success completion or throws.
    using Work = std::function<Completion()>;
    // Runs on the main thread with the description of what the work threw.
    using Failure = std::function<void(const QString &description)>;

    explicit WorkQueue(QObject *context);
    ~WorkQueue();

    WorkQueue(const WorkQueue &) = delete;
    WorkQueue &operator=(const WorkQueue &) = delete;

    void submit(Work work, Failure failure);

private:
    // Shared with the workers, which may outlive the queue.
    struct Link {
        QMutex mutex;
        QObject *context = nullptr;
    };
    std::shared_ptr<Link> m_link;
};
