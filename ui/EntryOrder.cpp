#include "ui/EntryOrder.h"

#include "engine/FileNames.h"
#include "engine/NaturalKey.h"
#include "ui/EntryTableModel.h"

#include <QHash>
#include <QString>
#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

struct Item {
    quint64 key;
    quint32 index;
};

// Sorting values and indices together keeps the sort in the cache; the
// index breaks ties, which makes an unstable sort stable.
std::vector<quint32> byKey(std::vector<Item> items, Qt::SortOrder order)
{
    if (order == Qt::AscendingOrder)
        std::sort(items.begin(), items.end(),
                  [](const Item &a, const Item &b) { return a.key != b.key ? a.key < b.key : a.index < b.index; });
    else
        std::sort(items.begin(), items.end(),
                  [](const Item &a, const Item &b) { return a.key != b.key ? a.key > b.key : a.index < b.index; });
    std::vector<quint32> rows(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        rows[i] = items[i].index;
    return rows;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The first 19 digits of a text as one number (19 always fit 64 bits),
// and how many digits there were.
std::pair<quint64, int> digitsOf(QByteArrayView text)
{
    quint64 value = 0;
    int digits = 0;
    for (char c : text) {
        if (isDigit(c) && digits < 19) {
            value = value * 10 + quint64(c - '0');
            ++digits;
        }
    }
    return {value, digits};
}

// "1 234" and "1234" alike; an empty size (a folder's) before every number.
quint64 sizeKey(QByteArrayView text)
{
    const auto [value, digits] = digitsOf(text);
    return digits ? value + 1 : 0;
}

// "YYYY-MM-DD hh:mm:ss.fffffff" as the number YYYYMMDDhhmmssfffff: shorter
// texts padded with zeros, so a time without a fraction reads as .00000.
quint64 timeKey(QByteArrayView text)
{
    auto [value, digits] = digitsOf(text);
    for (; digits < 19; ++digits)
        value *= 10;
    return value;
}

// The entries to sort: every one, or the given ones.
class Rows
{
public:
    Rows(size_t count, const std::vector<quint32> *rows) : m_count(count), m_rows(rows) {}
    size_t size() const { return m_rows ? m_rows->size() : m_count; }
    quint32 operator[](size_t i) const { return m_rows ? (*m_rows)[i] : quint32(i); }

private:
    size_t m_count;
    const std::vector<quint32> *m_rows;
};

std::vector<quint32> byType(const std::vector<ArchiveEntry> &entries, const Rows &rows, Qt::SortOrder order)
{
    // One pass gives each entry the number of its extension (folders are 0);
    // the few distinct texts are then ranked, and the sort compares ranks.
    QHash<QByteArrayView, quint32> idOf;
    std::vector<QString> texts{EntryTableModel::folderTypeText()};
    std::vector<Item> items(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const ArchiveEntry &entry = entries[rows[i]];
        quint32 id = 0;
        if (!entry.isFolder()) {
            const QByteArrayView extension = FileNames::lastExtension(entry.pathUtf8());
            auto found = idOf.constFind(extension);
            if (found == idOf.cend()) {
                found = idOf.insert(extension, quint32(texts.size()));
                texts.push_back(EntryTableModel::typeText(entry));
            }
            id = *found;
        }
        items[i] = {id, rows[i]};
    }
    std::vector<quint32> byText(texts.size());
    for (size_t id = 0; id < byText.size(); ++id)
        byText[id] = quint32(id);
    std::sort(byText.begin(), byText.end(), [&](quint32 a, quint32 b) { return texts[a] < texts[b]; });
    std::vector<quint64> rankOf(texts.size());
    for (size_t rank = 0; rank < byText.size(); ++rank)
        rankOf[byText[rank]] = rank ? rankOf[byText[rank - 1]] + (texts[byText[rank]] != texts[byText[rank - 1]]) : 0;
    for (Item &item : items)
        item.key = rankOf[item.key];
    return byKey(std::move(items), order);
}

// The natural-order keys of the rows' paths, one buffer for all.
class NaturalKeys
{
public:
    // Keys by position in `rows`.
    NaturalKeys(const std::vector<ArchiveEntry> &entries, const Rows &rows)
    {
        m_ends.reserve(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            NaturalKey::append(entries[rows[i]].pathUtf8(), m_bytes);
            m_ends.push_back(m_bytes.size());
        }
    }

    std::string_view key(quint32 position) const
    {
        const size_t begin = position ? m_ends[position - 1] : 0;
        return std::string_view(m_bytes.data() + begin, m_ends[position] - begin);
    }

private:
    std::vector<char> m_bytes;
    std::vector<size_t> m_ends;
};

std::vector<quint32> byName(const std::vector<ArchiveEntry> &entries, const Rows &rows, Qt::SortOrder order)
{
    const NaturalKeys keys(entries, rows);
    // Each key's place beside the entry index: one memory access less per
    // comparison, which at a million rows is most of the time.
    struct Named {
        std::string_view key;
        quint32 index;
    };
    std::vector<Named> named(rows.size());
    for (size_t i = 0; i < named.size(); ++i)
        named[i] = {keys.key(quint32(i)), rows[i]};
    const bool ascending = order == Qt::AscendingOrder;
    std::sort(named.begin(), named.end(), [ascending](const Named &a, const Named &b) {
        const int c = a.key.compare(b.key);
        return c != 0 ? (ascending ? c < 0 : c > 0) : a.index < b.index;
    });
    std::vector<quint32> sorted(named.size());
    for (size_t i = 0; i < named.size(); ++i)
        sorted[i] = named[i].index;
    return sorted;
}

} // namespace

namespace EntryOrder {

std::vector<quint32> sorted(const std::vector<ArchiveEntry> &entries, int column, Qt::SortOrder order,
                            const std::vector<quint32> *only)
{
    const Rows rows(entries.size(), only);
    if (column == EntryTableModel::Name)
        return byName(entries, rows, order);
    if (column == EntryTableModel::Type)
        return byType(entries, rows, order);
    std::vector<Item> items(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const ArchiveEntry &e = entries[rows[i]];
        quint64 key = 0;
        if (column == EntryTableModel::Size)
            key = sizeKey(e.sizeUtf8());
        else if (column == EntryTableModel::Packed)
            key = sizeKey(e.packedUtf8());
        else if (column == EntryTableModel::Modified)
            key = timeKey(e.modifiedUtf8());
        items[i] = {key, rows[i]};
    }
    return byKey(std::move(items), order);
}

} // namespace EntryOrder
