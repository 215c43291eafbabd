#include "engine/FolderIndex.h"

#include "engine/NaturalKey.h"

#include <algorithm>
#include <string_view>

namespace {

QByteArrayView withoutTrailingSlashes(QByteArrayView path)
{
    while (path.endsWith('/'))
        path.chop(1);
    return path;
}

quint64 sizeOf(QByteArrayView text)
{
    quint64 value = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            value = value * 10 + quint64(c - '0');
    }
    return value;
}

// Sorts one group of a folder's children by name, naturally; the few
// buffers are reused from folder to folder.
class GroupSorter
{
public:
    template <typename NameOf>
    void sort(FolderIndex::Item *begin, FolderIndex::Item *end, NameOf nameOf)
    {
        const size_t count = size_t(end - begin);
        if (count < 2)
            return;
        m_bytes.clear();
        m_ends.clear();
        for (const FolderIndex::Item *item = begin; item != end; ++item) {
            NaturalKey::append(nameOf(*item), m_bytes);
            m_ends.push_back(m_bytes.size());
        }
        m_keyed.clear();
        bool inOrder = true;
        for (size_t i = 0; i < count; ++i) {
            const size_t from = i ? m_ends[i - 1] : 0;
            m_keyed.push_back({std::string_view(m_bytes.data() + from, m_ends[i] - from), begin[i]});
            inOrder = inOrder && (i == 0 || m_keyed[i - 1].key <= m_keyed[i].key);
        }
        // Listings are often in order already.
        if (inOrder)
            return;
        std::sort(m_keyed.begin(), m_keyed.end(), [](const Keyed &a, const Keyed &b) {
            const int c = a.key.compare(b.key);
            return c != 0 ? c < 0 : a.item < b.item;
        });
        for (size_t i = 0; i < count; ++i)
            begin[i] = m_keyed[i].item;
    }

private:
    struct Keyed {
        std::string_view key;
        FolderIndex::Item item;
    };
    std::vector<char> m_bytes;
    std::vector<size_t> m_ends;
    std::vector<Keyed> m_keyed;
};

} // namespace

QByteArrayView FolderIndex::nameOf(QByteArrayView path)
{
    path = withoutTrailingSlashes(path);
    return path.sliced(path.lastIndexOf('/') + 1);
}

QByteArray FolderIndex::normalised(QByteArrayView path)
{
    QByteArray result;
    for (qsizetype i = 0; i < path.size();) {
        qsizetype end = path.indexOf('/', i);
        if (end < 0)
            end = path.size();
        const QByteArrayView part = path.sliced(i, end - i);
        if (!part.isEmpty() && part != ".") {
            if (!result.isEmpty())
                result += '/';
            result += part;
        }
        i = end + 1;
    }
    return result;
}

quint32 FolderIndex::Builder::folderFor(QByteArrayView rawPath)
{
    quint32 id = kRoot;
    QByteArray path;
    for (qsizetype i = 0; i < rawPath.size();) {
        qsizetype end = rawPath.indexOf('/', i);
        if (end < 0)
            end = rawPath.size();
        const QByteArrayView part = rawPath.sliced(i, end - i);
        i = end + 1;
        if (part.isEmpty() || part == ".")
            continue;
        if (!path.isEmpty())
            path += '/';
        path += part;
        const QByteArrayView spelling = rawPath.first(end);
        const auto found = m_ids.constFind(path);
        if (found == m_ids.cend()) {
            Folder folder;
            folder.path = path;
            folder.parent = id;
            folder.spellings.append(spelling.toByteArray());
            id = quint32(m_folders.size());
            m_folders.push_back(std::move(folder));
            m_ids.insert(path, id);
            continue;
        }
        id = *found;
        QByteArrayList &spellings = m_folders[id].spellings;
        if (!spellings.contains(spelling))
            spellings.append(spelling.toByteArray());
    }
    return id;
}

void FolderIndex::Builder::add(const ArchiveEntry &entry)
{
    const quint32 number = quint32(m_parentOf.size());
    const QByteArrayView path = withoutTrailingSlashes(entry.pathUtf8());
    if (entry.isFolder()) {
        // A second record of a folder, or one of the top ("."), adds no row.
        Folder &folder = m_folders[folderFor(path)];
        const bool first = folder.entry == kNoEntry && !folder.path.isEmpty();
        if (first)
            folder.entry = number;
        m_parentOf.push_back(kNoEntry);
        return;
    }
    const QByteArrayView rawParent = path.first(std::max<qsizetype>(path.lastIndexOf('/'), 0));
    if (!m_anyParent || rawParent != m_lastRawParent) {
        m_lastParent = folderFor(rawParent);
        m_lastRawParent = rawParent.toByteArray();
        m_anyParent = true;
    }
    m_parentOf.push_back(m_lastParent);
    m_folders[m_lastParent].size += sizeOf(entry.sizeUtf8());
}

FolderIndex FolderIndex::Builder::finish(const std::vector<ArchiveEntry> &entries)
{
    FolderIndex index;
    std::vector<Folder> &folders = m_folders;
    // Counted first, then placed: one array, each folder's slice in turn.
    std::vector<quint32> cursor(folders.size());
    for (quint32 id = 1; id < folders.size(); ++id)
        ++folders[folders[id].parent].folders;
    for (quint32 parent : m_parentOf) {
        if (parent != kNoEntry)
            ++cursor[parent];
    }
    quint32 next = 0;
    for (quint32 id = 0; id < folders.size(); ++id) {
        folders[id].begin = next;
        next += folders[id].folders + cursor[id];
        folders[id].end = next;
        cursor[id] = folders[id].begin;
    }
    index.m_children.resize(next);
    for (quint32 id = 1; id < folders.size(); ++id)
        index.m_children[cursor[folders[id].parent]++] = id | kFolderBit;
    for (quint32 entry = 0; entry < m_parentOf.size(); ++entry) {
        if (m_parentOf[entry] != kNoEntry)
            index.m_children[cursor[m_parentOf[entry]]++] = entry;
    }
    m_parentOf = {};
    // A folder is always made after its parent.
    for (quint32 id = quint32(folders.size()) - 1; id > 0; --id)
        folders[folders[id].parent].size += folders[id].size;

    GroupSorter sorter;
    for (const Folder &folder : folders) {
        Item *begin = index.m_children.data() + folder.begin;
        sorter.sort(begin, begin + folder.folders,
                    [&](Item item) { return nameOf(QByteArrayView(folders[numberOf(item)].path)); });
        sorter.sort(begin + folder.folders, index.m_children.data() + folder.end,
                    [&](Item item) { return nameOf(entries[item].pathUtf8()); });
    }
    index.m_folders = std::move(m_folders);
    index.m_ids = std::move(m_ids);
    m_folders = {Folder{}};
    m_ids = {{QByteArray(), kRoot}};
    m_anyParent = false;
    return index;
}

FolderIndex FolderIndex::of(const std::vector<ArchiveEntry> &entries)
{
    Builder builder;
    for (const ArchiveEntry &entry : entries)
        builder.add(entry);
    return builder.finish(entries);
}

QByteArrayView FolderIndex::nameOf(Item item, const std::vector<ArchiveEntry> &entries) const
{
    return isFolder(item) ? nameOf(QByteArrayView(m_folders[numberOf(item)].path)) : nameOf(entries[item].pathUtf8());
}

std::optional<quint32> FolderIndex::find(QByteArrayView path) const
{
    const auto found = m_ids.constFind(normalised(path));
    return found == m_ids.cend() ? std::nullopt : std::optional<quint32>(*found);
}

quint32 FolderIndex::folderOf(QByteArrayView memberPath) const
{
    const QByteArray path = normalised(memberPath);
    return find(QByteArrayView(path).first(std::max<qsizetype>(path.lastIndexOf('/'), 0))).value_or(kRoot);
}
