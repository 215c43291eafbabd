#include "engine/NameRecovery.h"

#include "engine/CodePageDetector.h"
#include "engine/CodePages.h"
#include "engine/FileOps.h"
#include "engine/PathScreen.h"

#include <QFile>
#include <algorithm>

namespace {

// Enough names to judge by; a huge archive's others follow the verdict.
constexpr size_t kSampleNames = 4096;

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

bool readsAsUtf8(QByteArrayView bytes)
{
    return isAscii(bytes) || bytes.isValidUtf8();
}

// A decoded part of a path that could lead elsewhere or hide as something else.
bool unsafePart(QStringView part)
{
    if (part == u".." || part == u".")
        return true;
    return std::any_of(part.begin(), part.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u == u'/' || u == u'\\' || u < 0x20 || (u >= 0x7F && u <= 0x9F);
    });
}

} // namespace

NameRecovery NameRecovery::apply(std::vector<ArchiveEntry> &entries, int codePage, const QString &language)
{
    std::vector<size_t> old;
    std::vector<QByteArray> sample;
    QSet<QByteArray> sampled;
    for (size_t i = 0; i < entries.size(); ++i) {
        const QByteArrayView path = entries[i].pathUtf8();
        if (!entries[i].flags().codePageName || readsAsUtf8(path))
            continue;
        old.push_back(i);
        for (const QByteArrayView part : QByteArray::fromRawData(path.data(), path.size()).split('/')) {
            if (sample.size() < kSampleNames && !readsAsUtf8(part) && !sampled.contains(part.toByteArray())) {
                sampled.insert(part.toByteArray());
                sample.push_back(part.toByteArray());
            }
        }
    }
    NameRecovery recovery;
    if (old.empty())
        return recovery;
    auto data = std::make_shared<Data>();
    data->oldNames = true;
    data->detected = CodePageDetector::detect(sample, language);
    data->codePage = codePage != 0 ? codePage : data->detected;
    const CodePages::CodePage *chosen = CodePages::find(data->codePage);
    if (!chosen) {
        data->codePage = 0;
        recovery.m_data = std::move(data);
        return recovery;
    }

    QHash<QByteArray, QByteArray> renames;   // the tool's path -> decoded last part
    for (const size_t i : old) {
        ArchiveEntry &entry = entries[i];
        const QByteArray raw = entry.pathUtf8().toByteArray();
        const QList<QByteArray> parts = raw.split('/');
        QStringList decoded;
        bool unsafe = PathScreen::isUnsafe(QByteArrayView(raw));
        for (const QByteArray &part : parts) {
            std::optional<QString> text = readsAsUtf8(part) ? QString::fromUtf8(part) : CodePages::decode(*chosen, part);
            if (!text)
                break;
            unsafe = unsafe || (!readsAsUtf8(part) && unsafePart(*text));
            decoded.append(*text);
        }
        // A name the code page cannot read stays as the tool has it.
        if (decoded.size() != parts.size())
            continue;
        const QString path = decoded.join(QLatin1Char('/'));
        const QByteArray utf8 = path.toUtf8();
        entry = ArchiveEntry::fromUtf8(utf8, entry.sizeUtf8(), entry.packedUtf8(), entry.modifiedUtf8(), entry.flags());
        if (unsafe || PathScreen::isUnsafe(QStringView(path)))
            data->unsafe.insert(path);
        // Every folder on the way, so that a selected folder is found too.
        QByteArray toolPrefix;
        QString prefix;
        for (qsizetype k = 0; k < parts.size(); ++k) {
            toolPrefix += (k ? "/" : "") + parts[k];
            prefix += (k ? QStringLiteral("/") : QString()) + decoded[k];
            if (parts[k].isEmpty() || readsAsUtf8(parts[k]))
                continue;
            data->toolPaths.insert(prefix, toolPrefix);
            if (!unsafePart(decoded[k]))
                renames.insert(toolPrefix, decoded[k].toUtf8());
        }
    }
    for (auto it = renames.cbegin(); it != renames.cend(); ++it)
        data->renames.emplace_back(it.key(), it.value());
    std::sort(data->renames.begin(), data->renames.end(), [](const auto &a, const auto &b) {
        return a.first.count('/') > b.first.count('/');
    });
    recovery.m_data = std::move(data);
    return recovery;
}

QByteArray NameRecovery::toolPath(const QString &path) const
{
    if (m_data) {
        const auto found = m_data->toolPaths.constFind(path);
        if (found != m_data->toolPaths.cend())
            return *found;
    }
    return path.toUtf8();
}

void NameRecovery::renameIn(const QString &folder) const
{
    if (!m_data || m_data->renames.empty())
        return;
    const FileOps::Fd top(FileOps::openFolder(QFile::encodeName(folder)));
    if (top.get() < 0)
        return;
    for (const auto &[toolPath, name] : m_data->renames) {
        const qsizetype slash = toolPath.lastIndexOf('/');
        // Folders on the way are opened one by one, never through a link;
        // the tool's names above are still in place (deepest goes first).
        std::vector<std::unique_ptr<FileOps::Fd>> held;
        int parent = top.get();
        const QList<QByteArray> above = slash < 0 ? QList<QByteArray>() : toolPath.first(slash).split('/');
        for (const QByteArray &part : above) {
            held.push_back(std::make_unique<FileOps::Fd>(::openat(parent, part.constData(), FileOps::kOpenFolder)));
            parent = held.back()->get();
            if (parent < 0)
                break;
        }
        if (parent >= 0)
            FileOps::renameNoReplace(parent, toolPath.mid(slash + 1).constData(), parent, name.constData());
    }
}
