#include "engine/OutputKeeper.h"

void OutputKeeper::add(const char *data, qsizetype size)
{
    if (m_limit < 0 || m_head.size() + size <= m_limit / 2) {
        m_head.append(data, size);
        return;
    }
    if (m_head.size() < m_limit / 2) {
        const qsizetype room = m_limit / 2 - m_head.size();
        m_head.append(data, room);
        data += room;
        size -= room;
    }
    m_truncated = true;
    if (size == 0)
        return;
    m_tail.emplace_back(data, size);
    m_tailSize += size;
    while (!m_tail.empty() && m_tailSize - m_tail.front().size() >= m_limit / 2) {
        m_tailSize -= m_tail.front().size();
        m_tail.pop_front();
    }
}

QByteArray OutputKeeper::take()
{
    if (!m_truncated)
        return std::move(m_head);
    QByteArray tail;
    tail.reserve(m_tailSize);
    for (const QByteArray &chunk : m_tail)
        tail.append(chunk);
    if (tail.size() > m_limit / 2)
        tail.remove(0, tail.size() - m_limit / 2);
    const qsizetype headEnd = m_head.lastIndexOf('\n');
    if (headEnd >= 0)
        m_head.truncate(headEnd + 1);
    const qsizetype tailStart = tail.indexOf('\n');
    if (tailStart >= 0)
        tail.remove(0, tailStart + 1);
    return m_head + QByteArray("\xE2\x80\xA6\n") + tail;
}
