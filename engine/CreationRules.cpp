#include "engine/CreationRules.h"

#include "engine/FileNames.h"
#include "engine/ToolPassword.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <sys/stat.h>

namespace CreationRules {

namespace {

constexpr std::array<FormatRow, 7> kFormats{{
    {NewFormat::Zip, "ZIP", "zip", "", true, true, false, true},
    {NewFormat::SevenZip, "7z", "7z", "", true, true, true, true},
    {NewFormat::TarGz, "tar.gz", "tar.gz", "tgz", true, false, false, false},
    {NewFormat::TarXz, "tar.xz", "tar.xz", "txz", true, false, false, false},
    {NewFormat::TarBz2, "tar.bz2", "tar.bz2", "tbz2 tbz", true, false, false, false},
    {NewFormat::TarZst, "tar.zst", "tar.zst", "tzst", true, false, false, false},
    {NewFormat::Tar, "tar", "tar", "", false, false, false, true},
}};

// Mail attachments, a CD, a FAT32 drive (whose files stay below 4 GiB).
constexpr std::array<qint64, 3> kVolumePresets{25'000'000, 700'000'000, 4'000'000'000};

// The known extension at the end of `name` and its format; the longest
// wins, so "x.tar.gz" is a tar.gz and not a ".gz" of a tar.
std::optional<std::pair<qsizetype, NewFormat>> knownExtension(const QString &name)
{
    std::optional<std::pair<qsizetype, NewFormat>> found;
    for (const FormatRow &format : kFormats) {
        QStringList extensions = QString::fromLatin1(format.aliases).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        extensions.prepend(QString::fromLatin1(format.extension));
        for (const QString &extension : extensions) {
            const QString suffix = QLatin1Char('.') + extension;
            // A name that is only the extension (".7z") has none.
            if (name.size() > suffix.size() && name.endsWith(suffix, Qt::CaseInsensitive)
                && (!found || suffix.size() > found->first))
                found = std::pair{suffix.size(), format.format};
        }
    }
    return found;
}

bool exists(const QString &path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

} // namespace

std::span<const FormatRow> formats()
{
    return kFormats;
}

const FormatRow &row(NewFormat format)
{
    return *std::find_if(kFormats.begin(), kFormats.end(), [format](const FormatRow &r) { return r.format == format; });
}

std::optional<NewFormat> formatOfName(const QString &name)
{
    const auto known = knownExtension(name);
    return known ? std::optional(known->second) : std::nullopt;
}

qsizetype stemLength(const QString &name)
{
    const auto known = knownExtension(name);
    return name.size() - (known ? known->first : 0);
}

QString withFormat(const QString &name, NewFormat format)
{
    return name.left(stemLength(name)) + QLatin1Char('.') + QLatin1String(row(format).extension);
}

QString proposedName(const QString &item, NewFormat format)
{
    const QString extension = QString::fromLatin1(row(format).extension);
    const QString name = QFileInfo(item).fileName();
    const QString last = FileNames::lastExtension(name).toLower();
    const bool keepWhole = QFileInfo(item).isDir() || (!last.isEmpty() && extension.endsWith(last));
    return (keepWhole ? name : FileNames::withoutLastExtension(name)) + QLatin1Char('.') + extension;
}

QString nameProblem(const QString &name)
{
    // ".7z" left when the selected name part was deleted: a hidden file, not what was meant.
    if (name.trimmed().isEmpty() || stemLength(QLatin1Char('x') + name) == 1)
        return QCoreApplication::translate("CreationRules", "Type a name for the archive.");
    if (name.contains(QLatin1Char('/')))
        return QCoreApplication::translate("CreationRules", "A name cannot hold “/”.");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QCoreApplication::translate("CreationRules", "“%1” cannot be a file name.").arg(name);
    // Room for a volume's ".001" within the system's 255 bytes.
    if (QFile::encodeName(name).size() > 250)
        return QCoreApplication::translate("CreationRules", "The name is too long.");
    return QString();
}

QString passwordRefusal(NewFormat format)
{
    return row(format).encrypts ? QString() : QCoreApplication::translate("CreationRules", "Only ZIP and 7z archives can have a password.");
}

QString encryptNamesRefusal(NewFormat format, bool hasPassword)
{
    if (!row(format).hidesNames)
        return QCoreApplication::translate("CreationRules", "Only a 7z archive can hide the names of its files.");
    return hasPassword ? QString() : QCoreApplication::translate("CreationRules", "Names are hidden with the password: type one first.");
}

QString levelRefusal(NewFormat format, NewLevel level)
{
    if (!row(format).compresses)
        return QCoreApplication::translate("CreationRules", "A tar archive is not compressed.");
    if (level == NewLevel::Store && !row(format).stores)
        return QCoreApplication::translate("CreationRules", "A %1 archive is always compressed: choose tar to store the files as they are.")
            .arg(QLatin1String(row(format).label));
    return QString();
}

QString passwordProblem(NewFormat format, const QString &password)
{
    if (password.isEmpty())
        return QString();
    if (const QString refusal = passwordRefusal(format); !refusal.isEmpty())
        return refusal;
    if (format == NewFormat::Zip)
        return ToolPassword::newZipProblem(password);
    if (!ToolPassword::standardInput(password))
        return QCoreApplication::translate("CreationRules", "A password cannot hold a line break.");
    return QString();
}

std::span<const qint64> volumePresets()
{
    return kVolumePresets;
}

std::optional<qint64> parseVolumeSize(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d+(?:[.,]\\d+)?)\\s*([kmgt]?)b?\\s*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double number = match.captured(1).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    const QString unit = match.captured(2).toLower();
    const double factor = unit == QLatin1String("k") ? 1e3
        : unit == QLatin1String("g")                 ? 1e9
        : unit == QLatin1String("t")                 ? 1e12
                                                     : 1e6;
    const double bytes = number * factor;
    if (!ok || bytes < double(kSmallestVolume) || bytes > 1e15)
        return std::nullopt;
    return qint64(bytes);
}

QString volumeSizeText(qint64 bytes)
{
    if (bytes >= 1'000'000'000)
        return QCoreApplication::translate("CreationRules", "%1 GB").arg(QLocale().toString(double(bytes) / 1e9, 'g', 4));
    return QCoreApplication::translate("CreationRules", "%1 MB").arg(QLocale().toString(double(bytes) / 1e6, 'g', 4));
}

QString volumePath(const QString &archive, int n)
{
    return archive + QStringLiteral(".%1").arg(n, 3, 10, QLatin1Char('0'));
}

QString openedPath(const QString &archive, qint64 volumeBytes)
{
    return volumeBytes > 0 ? volumePath(archive, 1) : archive;
}

bool taken(const QString &archive, qint64 volumeBytes)
{
    return exists(archive) || (volumeBytes > 0 && exists(volumePath(archive, 1)));
}

QString freeName(const QString &archive, qint64 volumeBytes)
{
    for (int n = 1;; ++n) {
        const QString candidate = FileNames::numberedName(archive, n, false);
        if (!taken(candidate, volumeBytes))
            return candidate;
    }
}

std::vector<OperationRequest> requests(const QStringList &items, const NewArchiveChoice &choice)
{
    std::vector<OperationRequest> result;
    const auto add = [&](const QString &name, const QStringList &inputs) {
        OperationRequest request;
        request.kind = OperationKind::Create;
        request.archive = choice.folder + QLatin1Char('/') + name;
        request.inputs = inputs;
        request.password = choice.password;
        request.creation = choice.options;
        result.push_back(std::move(request));
    };
    if (!choice.separately) {
        add(choice.name, items);
        return result;
    }
    for (const QString &item : items)
        add(proposedName(item, choice.options.format), {item});
    return result;
}

} // namespace CreationRules
