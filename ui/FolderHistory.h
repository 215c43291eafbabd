#pragma once

#include <QtGlobal>
#include <optional>
#include <vector>

// The folders visited, for Back and Forward as a browser has them: a visit
// after going back drops what lay ahead.
class FolderHistory
{
public:
    void reset(quint32 folder);
    quint32 current() const { return m_visited[m_at]; }
    // Revisiting the current folder adds nothing.
    void visit(quint32 folder);
    bool canGoBack() const { return m_at > 0; }
    bool canGoForward() const { return m_at + 1 < m_visited.size(); }
    // The folder gone to, or nothing at either end.
    std::optional<quint32> back();
    std::optional<quint32> forward();

private:
    std::vector<quint32> m_visited{0};
    size_t m_at = 0;
};
