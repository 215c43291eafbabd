#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

// Hands calls from any thread to the thread of a context object, where they
// run in the order posted. Once the handoff is gone, calls still waiting are
// dropped and later posts do nothing, so that a worker that outlives its
// caller delivers nothing to it. Each call is made, run and destroyed on one
// side of the mutex and never passes through Qt.
class ThreadHandoff
{
public:
    explicit ThreadHandoff(QObject *context);
    ~ThreadHandoff();
    ThreadHandoff(const ThreadHandoff &) = delete;
    ThreadHandoff &operator=(const ThreadHandoff &) = delete;

    // Copyable, for workers to keep: it may outlive the handoff.
    class Poster
    {
    public:
        void operator()(std::function<void()> call) const;

    private:
        friend class ThreadHandoff;
        struct Link;
        std::shared_ptr<Link> m_link;
    };
    Poster poster() const { return m_poster; }
    void post(std::function<void()> call) const { m_poster(std::move(call)); }

private:
    class Receiver;
    Poster m_poster;
    std::unique_ptr<Receiver> m_receiver;
};
