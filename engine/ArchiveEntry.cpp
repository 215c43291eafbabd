#include "ArchiveEntry.h"

ArchiveEntry::ArchiveEntry(const QString &path, const QString &size, const QString &packed,
                           const QString &modified, bool isFolder)
    : ArchiveEntry(fromUtf8(path.toUtf8(), size.toUtf8(), packed.toUtf8(), modified.toUtf8(), isFolder))
{
}

ArchiveEntry ArchiveEntry::fromUtf8(QByteArrayView path, QByteArrayView size, QByteArrayView packed,
                                    QByteArrayView modified, bool isFolder)
{
    ArchiveEntry entry;
    const qsizetype total = path.size() + size.size() + packed.size() + modified.size();
    entry.m_data.reserve(total);
    entry.m_data.append(path);
    entry.m_pathEnd = quint32(entry.m_data.size());
    entry.m_data.append(size);
    entry.m_sizeEnd = quint32(entry.m_data.size());
    entry.m_data.append(packed);
    entry.m_packedEnd = quint32(entry.m_data.size());
    entry.m_data.append(modified);
    entry.m_isFolder = isFolder;
    return entry;
}
