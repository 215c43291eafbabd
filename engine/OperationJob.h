#pragma once

#include "engine/Operation.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

// One running operation as both sides hold it: the worker reports progress
// and asks questions through it, the caller cancels it and answers. Every
// member is safe from any thread. A cancelled job wakes whatever waits on
// it: the tool's reader (through cancelFd) and an unanswered question.
class OperationJob
{
public:
    using ProgressSink = std::function<void(const OperationProgress &)>;
    using QuestionSink = std::function<void(const Question &)>;

    OperationJob();
    ~OperationJob();
    OperationJob(const OperationJob &) = delete;
    OperationJob &operator=(const OperationJob &) = delete;

    // Caller side. A cancel after settle() stops nothing: it only answers a
    // question still to come, or waiting, with Skip.
    void cancel();
    bool isCancelled() const { return m_state.load(std::memory_order_acquire) == Cancelled; }
    // Answers the question the worker waits on; ignored when none waits.
    void answer(const Answer &answer);

    // Set before the work starts; called on the worker's thread.
    void setProgressSink(ProgressSink sink) { m_progressSink = std::move(sink); }
    void setQuestionSink(QuestionSink sink) { m_questionSink = std::move(sink); }

    // Worker side. Progress is passed on at most every `kReportInterval` ms, so
    // that a chatty tool costs nothing.
    void report(const OperationProgress &progress);
    // Raises the question and waits for its answer; nullopt once cancelled.
    std::optional<Answer> ask(const Question &question);
    // From here the work goes to its end (a move into place, which cannot be
    // undone in full), so that its outcome is what happened. False when it
    // was cancelled already.
    bool settle();
    // Someone answers questions; without, ask() gives up at once.
    bool canAsk() const { return bool(m_questionSink); }
    // Becomes readable once cancelled: the process runner polls it.
    int cancelFd() const { return m_cancelFd; }

    static constexpr qint64 kReportInterval = 50;

private:
    enum State { Running, Cancelled, Settled, SettledCancelled };
    std::atomic<int> m_state{Running};
    int m_cancelFd = -1;
    ProgressSink m_progressSink;
    QuestionSink m_questionSink;
    qint64 m_lastReport = -kReportInterval;
    bool m_lastDeterminate = false;

    std::mutex m_mutex;
    std::condition_variable m_answered;
    bool m_waiting = false;
    std::optional<Answer> m_answer;
};
