#include "ui/FolderHistory.h"

void FolderHistory::reset(quint32 folder)
{
    m_visited = {folder};
    m_at = 0;
}

void FolderHistory::visit(quint32 folder)
{
    if (folder == current())
        return;
    m_visited.resize(m_at + 1);
    m_visited.push_back(folder);
    ++m_at;
}

std::optional<quint32> FolderHistory::back()
{
    if (!canGoBack())
        return std::nullopt;
    return m_visited[--m_at];
}

std::optional<quint32> FolderHistory::forward()
{
    if (!canGoForward())
        return std::nullopt;
    return m_visited[++m_at];
}
