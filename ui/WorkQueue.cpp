#include "ui/WorkQueue.h"

#include "engine/ArchiveError.h"

#include <QMetaObject>
#include <QMutexLocker>
#include <QObject>
#include <QThreadPool>

WorkQueue::WorkQueue(QObject *context)
    : m_link(std::make_shared<Link>())
{
    m_link->context = context;
}

WorkQueue::~WorkQueue()
{
    // After this no worker posts again; what was posted before dies with the
    // context's own posted events.
    QMutexLocker lock(&m_link->mutex);
    m_link->context = nullptr;
}

void WorkQueue::submit(Work work, Failure failure)
{
    QThreadPool::globalInstance()->start([link = m_link, work = std::move(work), failure = std::move(failure)] {
        Completion completion;
        try {
            completion = work();
        } catch (const std::exception &error) {
            completion = [failure, description = describeError(error)] { failure(description); };
        } catch (...) {
            completion = [failure, description = ArchiveError::commandFailed(QString()).errorDescription()] {
                failure(description);
            };
        }
        QMutexLocker lock(&link->mutex);
        if (link->context)
            QMetaObject::invokeMethod(link->context, std::move(completion), Qt::QueuedConnection);
    });
}
