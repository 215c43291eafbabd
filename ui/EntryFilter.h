#pragma once

#include "engine/ArchiveEntry.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

// Finds the members whose path contains a text, case-insensitively. Every
// path is case-folded once into one buffer, so that a search is a single
// byte scan over it. Read-only once built: safe to share between threads.
class EntryFilter
{
public:
    explicit EntryFilter(const std::vector<ArchiveEntry> &entries);

    // A search text as the buffer holds paths.
    static QByteArray fold(const QString &text);

    // Set from another thread to make a search give up early (it then
    // returns an empty result).
    using Abandon = std::function<bool()>;

    // Entry indices whose path contains the folded needle, ascending.
    std::vector<quint32> find(const QByteArray &needle, const Abandon &abandon = {}) const;
    // The same within `rows` (entry indices in any order), keeping their order.
    std::vector<quint32> narrow(const QByteArray &needle, const std::vector<quint32> &rows,
                                const Abandon &abandon = {}) const;

    size_t size() const { return m_starts.size() - 1; }

private:
    QByteArrayView path(quint32 index) const
    {
        return QByteArrayView(m_text.data() + m_starts[index], qsizetype(m_starts[index + 1] - m_starts[index] - 1));
    }

    // Folded paths, each followed by a NUL, which no path or needle holds.
    std::vector<char> m_text;
    std::vector<size_t> m_starts;
};
