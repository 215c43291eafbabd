#include "engine/ArchiveFormats.h"

#include "engine/FileNames.h"

#include <QCoreApplication>

#include <unistd.h>

namespace {

constexpr Capabilities kReadOnly = Capability::List | Capability::Test | Capability::Extract;
constexpr Capabilities kStream = kReadOnly | Capability::Create;
constexpr Capabilities kAll = kStream | Capability::Update;

Signature at(qint64 offset, const char *bytes, qsizetype size)
{
    return {offset, QByteArray(bytes, size)};
}

#define SIG(offset, literal) at(offset, literal, qsizetype(sizeof(literal) - 1))

// "rar", and the old volume names after it: "r00" to "r99".
QStringList rarExtensions()
{
    QStringList extensions{QStringLiteral("rar")};
    for (int i = 0; i < 100; ++i)
        extensions.append(QStringLiteral("r%1").arg(i, 2, 10, QLatin1Char('0')));
    return extensions;
}

// What 7zz 26.02 reads and writes ("7zz i"): zstd, Z and lzma it only reads. A compressed stream can
// change only when it holds a tar (ArchiveEngineChange.cpp); zstd itself writes a changed .tar.zst.
const std::vector<ArchiveFormat> &rows()
{
    static const std::vector<ArchiveFormat> table{
        {QT_TRANSLATE_NOOP("ArchiveFormats", "a ZIP archive"),
         {"zip", "zipx", "jar", "xpi", "odt", "ods", "odp", "docx", "xlsx", "pptx", "epub", "apk", "whl"},
         {SIG(0, "PK\x03\x04"), SIG(0, "PK\x05\x06"), SIG(0, "PK\x07\x08")}, Reader::SevenZip, kAll},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "a 7z archive"), {"7z"}, {SIG(0, "7z\xBC\xAF\x27\x1C")},
         Reader::SevenZip, kAll},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "a tar archive"), {"tar", "ova"}, {SIG(257, "ustar")},
         Reader::SevenZip, kAll},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "a WIM image"), {"wim", "swm", "esd"}, {SIG(0, "MSWIM\0\0\0")},
         Reader::SevenZip, kAll},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "a gzip file"), {"gz", "gzip", "tgz", "tpz"}, {SIG(0, "\x1F\x8B\x08")},
         Reader::SevenZip, kAll, true},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "a bzip2 file"), {"bz2", "bzip2", "tbz2", "tbz"}, {SIG(0, "BZh")},
         Reader::SevenZip, kAll, true},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "an xz file"), {"xz", "txz"}, {SIG(0, "\xFD" "7zXZ\0")},
         Reader::SevenZip, kAll, true},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "a Zstandard file"), {"zst", "tzst"}, {SIG(0, "\x28\xB5\x2F\xFD")},
         Reader::SevenZip, kReadOnly | Capability::Update, true},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "a compress (.Z) file"), {"z", "taz"}, {SIG(0, "\x1F\x9D")},
         Reader::SevenZip, kReadOnly, true},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "an LZMA file"), {"lzma"}, {}, Reader::SevenZip, kReadOnly, true},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "an ISO image"), {"iso"}, {SIG(32769, "CD001")}, Reader::SevenZip,
         kReadOnly},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "a cabinet"), {"cab"}, {SIG(0, "MSCF\0\0\0\0")}, Reader::SevenZip,
         kReadOnly},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "an ar archive"), {"deb", "udeb"},
         {SIG(0, "!<arch>\n")}, Reader::SevenZip, kReadOnly},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "an RPM package"), {"rpm"}, {SIG(0, "\xED\xAB\xEE\xDB")},
         Reader::SevenZip, kReadOnly},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "a cpio archive"), {"cpio"}, {SIG(0, "07070")}, Reader::SevenZip,
         kReadOnly},
        // Debian's 7zz reads none of these; corvex-reader opens a RAR volume
        // set from any of its volumes, and reads the tar inside lzip and lz4.
        {QT_TRANSLATE_NOOP("ArchiveFormats", "a RAR archive"), rarExtensions(), {SIG(0, "Rar!\x1A\x07")},
         Reader::Corvex, kReadOnly},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "an lzip file"), {"lz"}, {SIG(0, "LZIP")}, Reader::Corvex, kReadOnly},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "an LZ4 file"), {"lz4"}, {SIG(0, "\x04\x22\x4D\x18")}, Reader::Corvex,
         kReadOnly},
        {QT_TRANSLATE_NOOP("ArchiveFormats", "a disk image"), {"dmg", "img", "vhd", "vhdx", "vmdk", "squashfs"}, {},
         Reader::SevenZip, kReadOnly},
    };
    return table;
}

#undef SIG

// Far enough for the deepest signature (an ISO's, at 32 KiB).
constexpr qint64 kSignatureReach = 32769 + 8;

} // namespace

namespace ArchiveFormats {

std::span<const ArchiveFormat> table()
{
    return rows();
}

const ArchiveFormat &other()
{
    static const ArchiveFormat format{QT_TRANSLATE_NOOP("ArchiveFormats", "an archive of this kind"), {}, {},
                                      Reader::SevenZip, kReadOnly};
    return format;
}

const ArchiveFormat &byExtension(const QString &path)
{
    const QString extension = FileNames::lastExtension(path).toLower();
    for (const ArchiveFormat &format : rows()) {
        if (!extension.isEmpty() && format.extensions.contains(extension))
            return format;
    }
    return other();
}

const ArchiveFormat &identify(const QString &path, int fd)
{
    QByteArray head(kSignatureReach, Qt::Uninitialized);
    qsizetype read = 0;
    while (fd >= 0 && read < head.size()) {
        const ssize_t n = ::pread(fd, head.data() + read, size_t(head.size() - read), read);
        if (n <= 0)
            break;
        read += n;
    }
    head.truncate(read);
    for (const ArchiveFormat &format : rows()) {
        for (const Signature &signature : format.signatures) {
            if (QByteArrayView(head).sliced(std::min<qint64>(signature.offset, head.size())).startsWith(signature.bytes))
                return format;
        }
    }
    return byExtension(path);
}

QString described(const ArchiveFormat &format)
{
    return QCoreApplication::translate("ArchiveFormats", format.described);
}

Capability needed(OperationKind kind)
{
    switch (kind) {
    case OperationKind::List:
        return Capability::List;
    case OperationKind::Test:
        return Capability::Test;
    case OperationKind::Extract:
    case OperationKind::Preview:
        return Capability::Extract;
    case OperationKind::Create:
        return Capability::Create;
    case OperationKind::Add:
    case OperationKind::Delete:
    case OperationKind::Rename:
        return Capability::Update;
    }
    return Capability::List;
}

QString refusal(const ArchiveFormat &format, Capability capability)
{
    if (format.can.testFlag(capability))
        return QString();
    // Whole sentences, so that a translation can decline the format's name.
    const char *sentence = nullptr;
    switch (capability) {
    case Capability::List:
        sentence = QT_TRANSLATE_NOOP("ArchiveFormats", "Corvex can't open %1.");
        break;
    case Capability::Test:
        sentence = QT_TRANSLATE_NOOP("ArchiveFormats", "Corvex can't test %1.");
        break;
    case Capability::Extract:
        sentence = QT_TRANSLATE_NOOP("ArchiveFormats", "Corvex can't extract %1.");
        break;
    case Capability::Update:
        sentence = QT_TRANSLATE_NOOP("ArchiveFormats", "Corvex can't change %1.");
        break;
    case Capability::Create:
        sentence = QT_TRANSLATE_NOOP("ArchiveFormats", "Corvex can't create %1.");
        break;
    }
    return QCoreApplication::translate("ArchiveFormats", sentence).arg(described(format));
}

QString programName(Reader reader)
{
    switch (reader) {
    case Reader::SevenZip:
        break;
    case Reader::Corvex:
        return QStringLiteral("corvex-reader");
    }
    return QStringLiteral("7zz");
}

} // namespace ArchiveFormats
