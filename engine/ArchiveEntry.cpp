#include "engine/ArchiveEntry.h"

#include <cstring>

ArchiveEntry::ArchiveEntry(const QString &path, const QString &size, const QString &packed,
                           const QString &modified, bool isFolder)
    : ArchiveEntry(path, size, packed, modified, Flags{.folder = isFolder})
{
}

ArchiveEntry::ArchiveEntry(const QString &path, const QString &size, const QString &packed,
                           const QString &modified, Flags flags)
    : ArchiveEntry(fromUtf8(path.toUtf8(), size.toUtf8(), packed.toUtf8(), modified.toUtf8(), flags))
{
}

ArchiveEntry ArchiveEntry::fromUtf8(QByteArrayView path, QByteArrayView size, QByteArrayView packed,
                                    QByteArrayView modified, Flags flags)
{
    ArchiveEntry entry;
    const qsizetype total = path.size() + size.size() + packed.size() + modified.size();
    // One allocation, filled in place: this runs once per member.
    entry.m_data = QByteArray(total, Qt::Uninitialized);
    char *out = entry.m_data.data();
    auto put = [&out](QByteArrayView text) {
        if (!text.isEmpty())
            std::memcpy(out, text.data(), size_t(text.size()));
        out += text.size();
    };
    put(path);
    entry.m_pathEnd = quint32(path.size());
    put(size);
    entry.m_sizeEnd = quint32(entry.m_pathEnd + size.size());
    put(packed);
    entry.m_packedEnd = quint32(entry.m_sizeEnd + packed.size());
    put(modified);
    entry.m_flags = flags;
    return entry;
}
