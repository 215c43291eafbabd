#pragma once

#include "engine/ArchiveEntry.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QHash>
#include <optional>
#include <span>
#include <vector>

// The archive's members as a tree of folders, for browsing one folder at a
// time. Folders are named by their members' paths, whether or not the
// archive has a record of them; empty and "." components are left out, so
// "a//b/./c" is in a/b. Each folder's children are one slice of a single
// array, folders first, each group in natural name order: entering a folder
// reads only its slice. A folder record is shown as its folder, not as a
// child of its own; the entries themselves stay with their owner.
class FolderIndex
{
public:
    // A child: an entry index, or a folder number with kFolderBit set.
    using Item = quint32;
    static constexpr Item kFolderBit = 0x80000000u;
    static constexpr quint32 kRoot = 0;
    static constexpr quint32 kNoEntry = 0xffffffffu;

    struct Folder {
        QByteArray path;          // normalised, "a/b"; empty for the root
        quint32 parent = kRoot;
        quint32 entry = kNoEntry; // the archive's record of it, if any
        quint32 begin = 0;        // children: [begin, end) of the array
        quint32 end = 0;
        quint32 folders = 0;      // of which the first `folders` are folders
        quint64 size = 0;         // every file under it, summed
        // How its members spell it, first seen first ("a//b", "./a"): the
        // tool matches a folder only by the spelling its members use.
        QByteArrayList spellings;
    };

    // Takes the entries one at a time, in listing order, while the listing
    // is still being read; finish() sorts the folders' children.
    class Builder
    {
    public:
        void add(const ArchiveEntry &entry);
        size_t count() const { return m_parentOf.size(); }
        FolderIndex finish(const std::vector<ArchiveEntry> &entries);

    private:
        quint32 folderFor(QByteArrayView rawPath);

        std::vector<Folder> m_folders{Folder{}};
        QHash<QByteArray, quint32> m_ids{{QByteArray(), kRoot}};
        // Each entry's folder; kNoEntry for a folder's own record.
        std::vector<quint32> m_parentOf;
        // Members come folder by folder: the last folder is looked up once.
        QByteArray m_lastRawParent;
        quint32 m_lastParent = kRoot;
        bool m_anyParent = false;
    };

    // All at once, for entries already read.
    static FolderIndex of(const std::vector<ArchiveEntry> &entries);

    static bool isFolder(Item item) { return item & kFolderBit; }
    static quint32 numberOf(Item item) { return item & ~kFolderBit; }
    // The last non-empty component of a path ("c" for "a/b/c/").
    static QByteArrayView nameOf(QByteArrayView path);
    // Empty and "." components left out, no slash at either end.
    static QByteArray normalised(QByteArrayView path);

    size_t folderCount() const { return m_folders.size(); }
    const Folder &folder(quint32 number) const { return m_folders[number]; }
    std::span<const Item> children(quint32 number) const
    {
        const Folder &f = m_folders[number];
        return {m_children.data() + f.begin, m_children.data() + f.end};
    }
    QByteArrayView nameOf(Item item, const std::vector<ArchiveEntry> &entries) const;
    std::optional<quint32> find(QByteArrayView path) const;
    // The folder a member's path is shown in.
    quint32 folderOf(QByteArrayView memberPath) const;

private:
    std::vector<Folder> m_folders{Folder{}};
    QHash<QByteArray, quint32> m_ids;
    std::vector<Item> m_children;
};
