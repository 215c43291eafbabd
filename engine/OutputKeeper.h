#pragma once

#include <QByteArray>
#include <deque>

// Keeps a program's output, or its first and last halves once it grows past
// a limit (negative: no limit). The tail is kept as the chunks that arrived,
// whole ones dropped from its front: a long successful listing is copied
// once, not moved about.
class OutputKeeper
{
public:
    explicit OutputKeeper(qsizetype limit) : m_limit(limit) {}

    void add(const char *data, qsizetype size);
    bool truncated() const { return m_truncated; }
    // What was kept; once truncated, the halves cut at line breaks with "…"
    // between them, so that no character is split.
    QByteArray take();

private:
    qsizetype m_limit;
    QByteArray m_head;
    std::deque<QByteArray> m_tail;
    qsizetype m_tailSize = 0;
    bool m_truncated = false;
};
