#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// One archive member as the tool listed it. The four texts are kept exactly
// as printed, in one UTF-8 buffer per entry: a million-member listing stays
// compact, and the table decodes only the cells it shows.
class ArchiveEntry
{
public:
    // The listing's "+" flags. An anti-item is a 7z record of a deletion:
    // extracting it deletes the path it names.
    struct Flags {
        bool folder = false;
        bool anti = false;
        bool encrypted = false;
        // A link whose listed target is absolute or climbs out of the destination.
        bool linkOut = false;
        // A ZIP member without the UTF-8 flag: its name is in the maker's code page.
        bool codePageName = false;

        friend bool operator==(const Flags &, const Flags &) = default;
    };

    ArchiveEntry() = default;
    ArchiveEntry(const QString &path, const QString &size, const QString &packed,
                 const QString &modified, bool isFolder);
    ArchiveEntry(const QString &path, const QString &size, const QString &packed,
                 const QString &modified, Flags flags);

    // Raw bytes as printed by the tool; invalid UTF-8 is kept as is and
    // replaced by U+FFFD when a text is read.
    static ArchiveEntry fromUtf8(QByteArrayView path, QByteArrayView size,
                                 QByteArrayView packed, QByteArrayView modified,
                                 bool isFolder)
    {
        return fromUtf8(path, size, packed, modified, Flags{.folder = isFolder});
    }
    static ArchiveEntry fromUtf8(QByteArrayView path, QByteArrayView size,
                                 QByteArrayView packed, QByteArrayView modified,
                                 Flags flags);

    QString path() const { return QString::fromUtf8(pathUtf8()); }
    QString size() const { return QString::fromUtf8(sizeUtf8()); }
    QString packed() const { return QString::fromUtf8(packedUtf8()); }
    QString modified() const { return QString::fromUtf8(modifiedUtf8()); }
    bool isFolder() const { return m_flags.folder; }
    bool isAnti() const { return m_flags.anti; }
    bool isEncrypted() const { return m_flags.encrypted; }
    Flags flags() const { return m_flags; }

    QByteArrayView pathUtf8() const { return view(0, m_pathEnd); }
    QByteArrayView sizeUtf8() const { return view(m_pathEnd, m_sizeEnd); }
    QByteArrayView packedUtf8() const { return view(m_sizeEnd, m_packedEnd); }
    QByteArrayView modifiedUtf8() const { return view(m_packedEnd, quint32(m_data.size())); }

    friend bool operator==(const ArchiveEntry &a, const ArchiveEntry &b)
    {
        return a.m_flags == b.m_flags && a.m_pathEnd == b.m_pathEnd
            && a.m_sizeEnd == b.m_sizeEnd && a.m_packedEnd == b.m_packedEnd
            && a.m_data == b.m_data;
    }

private:
    QByteArrayView view(quint32 from, quint32 to) const
    {
        return QByteArrayView(m_data.constData() + from, qsizetype(to - from));
    }

    QByteArray m_data;
    quint32 m_pathEnd = 0;
    quint32 m_sizeEnd = 0;
    quint32 m_packedEnd = 0;
    Flags m_flags;
};
