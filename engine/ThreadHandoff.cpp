#include "engine/ThreadHandoff.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

namespace {
const QEvent::Type kCallPosted = QEvent::Type(QEvent::registerEventType());
}

struct ThreadHandoff::Poster::Link {
    std::mutex mutex;
    QObject *receiver = nullptr;   // null once the handoff is gone
    std::deque<std::function<void()>> calls;
};

// The event only wakes the receiver: Qt makes and deletes it, and the call
// itself stays in the link.
class ThreadHandoff::Receiver : public QObject
{
public:
    explicit Receiver(std::shared_ptr<Poster::Link> link) : m_link(std::move(link)) {}

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
    std::shared_ptr<Poster::Link> m_link;
};

void ThreadHandoff::Poster::operator()(std::function<void()> call) const
{
    const std::lock_guard lock(m_link->mutex);
    if (!m_link->receiver)
        return;
    m_link->calls.push_back(std::move(call));
    QCoreApplication::postEvent(m_link->receiver, new QEvent(kCallPosted));
}

ThreadHandoff::ThreadHandoff(QObject *context)
{
    m_poster.m_link = std::make_shared<Poster::Link>();
    m_receiver = std::make_unique<Receiver>(m_poster.m_link);
    m_receiver->moveToThread(context->thread());
    m_poster.m_link->receiver = m_receiver.get();
}

ThreadHandoff::~ThreadHandoff()
{
    // Calls still waiting go with the handoff, in this thread, outside the lock.
    std::deque<std::function<void()>> dropped;
    const std::lock_guard lock(m_poster.m_link->mutex);
    m_poster.m_link->receiver = nullptr;
    dropped.swap(m_poster.m_link->calls);
}
