#include "engine/ArchiveEngine.h"

#include "engine/ListingParser.h"
#include "engine/PathScreen.h"
#include "engine/ProcessRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <sys/stat.h>

namespace {

// A failed listing of a huge damaged archive prints a record per member;
// its error keeps the beginning and the end, where the tool's errors are.
constexpr qsizetype listingErrorLimit = 16 * 1024 * 1024;

// The tool turns every member's time into local time. With no TZ set the C
// library looks at /etc/localtime again for each one, which is half the time
// of a large listing; naming that same file gives the same times without
// the checks. A TZ of the user's own is left alone.
ProcessRunner::Options toolOptions()
{
    ProcessRunner::Options options;
    if (!qEnvironmentVariableIsSet("TZ"))
        options.environment = QStringList{QStringLiteral("TZ=:/etc/localtime")};
    return options;
}

void throwOnFailure(const ProcessRunner::Result &result)
{
    if (result.status != 0)
        throw ArchiveError::commandFailed(QString::fromUtf8(result.output));
}

// Parses the listing while the tool writes it; `entries` gets what was
// listed even when the tool fails part-way.
ProcessRunner::Result runListing(const QString &executable, const QString &archive,
                                 std::vector<ArchiveEntry> &entries, qsizetype keepLimit)
{
    ListingParser parser;
    ProcessRunner::Options options = toolOptions();
    options.onOutput = [&parser](QByteArrayView chunk) { parser.feed(chunk); };
    options.keepLimit = keepLimit;
    ProcessRunner::Result result = ProcessRunner::run(executable, ArchiveEngine::listArguments(archive), options);
    entries = parser.finish();
    return result;
}

} // namespace

ArchiveEngine::ArchiveEngine(const QString &resourceFolder)
{
    if (resourceFolder.isEmpty())
        throw ArchiveError::engineMissing();
    const QString tool = QDir(resourceFolder).absoluteFilePath(QStringLiteral("bin/7zz"));
    const QFileInfo info(tool);
    if (!info.isFile() || !info.isExecutable())
        throw ArchiveError::engineMissing();
    m_executable = tool;
}

QString ArchiveEngine::applicationResourceFolder()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (programFolder.isEmpty())
        return QString();
    const QString folder = QDir::cleanPath(programFolder + QStringLiteral("/../share/corvex"));
    return QFileInfo(folder).isDir() ? folder : QString();
}

QString ArchiveEngine::run(const QStringList &arguments, const QString &workingFolder) const
{
    ProcessRunner::Options options = toolOptions();
    options.workingFolder = workingFolder;
    const ProcessRunner::Result result = ProcessRunner::run(m_executable, arguments, options);
    throwOnFailure(result);
    return QString::fromUtf8(result.output);
}

// "-spd" everywhere: names are literal, never wildcards. "--" before the
// paths: a name that starts with '-' is never read as a switch.
QStringList ArchiveEngine::listArguments(const QString &archive)
{
    return {QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-spd"), QStringLiteral("--"), archive};
}

QStringList ArchiveEngine::testArguments(const QString &archive)
{
    return {QStringLiteral("t"), QStringLiteral("-spd"), QStringLiteral("--"), archive};
}

QStringList ArchiveEngine::createZipArguments(const QString &zip, const QStringList &inputs)
{
    QStringList arguments{QStringLiteral("a"), QStringLiteral("-tzip"), QStringLiteral("-spd"),
                          QStringLiteral("--"), zip};
    arguments += inputs;
    return arguments;
}

ArchiveEngine::Extraction ArchiveEngine::extractArguments(const QString &archive, const QString &folder,
                                                          const QString &member)
{
    Extraction extraction;
    // The tool puts the archive's name in place of every '*' of "-o".
    const bool literalFolder = !folder.contains(QLatin1Char('*'));
    const QString output = literalFolder ? folder : QStringLiteral(".");
    if (!literalFolder)
        extraction.workingFolder = folder;
    extraction.arguments = {QStringLiteral("x"), QStringLiteral("-spd"), QStringLiteral("-o") + output,
                            QStringLiteral("-y"), QStringLiteral("--"), archive};
    if (!member.isNull())
        extraction.arguments.append(member);
    return extraction;
}

std::vector<ArchiveEntry> ArchiveEngine::list(const QString &archive) const
{
    std::vector<ArchiveEntry> entries;
    throwOnFailure(runListing(m_executable, archive, entries, listingErrorLimit));
    return entries;
}

QStringList ArchiveEngine::unsafePaths(const QString &archive) const noexcept
{
    try {
        // A damaged archive's listing fails part-way, yet the tool goes on
        // to extract the members it could read: those it listed are
        // screened all the same.
        std::vector<ArchiveEntry> entries;
        runListing(m_executable, archive, entries, 0);
        return PathScreen::unsafePaths(entries);
    } catch (...) {
        return QStringList();
    }
}

void ArchiveEngine::runExtraction(const Extraction &extraction, const QString &folder) const
{
    // Run inside the folder: the tool would have made it for "-o" too.
    if (!extraction.workingFolder.isEmpty() && !QFileInfo(folder).isDir())
        QDir().mkpath(folder);
    run(extraction.arguments, extraction.workingFolder);
}

void ArchiveEngine::extract(const QString &archive, const QString &destination) const
{
    runExtraction(extractArguments(archive, destination), destination);
}

void ArchiveEngine::test(const QString &archive) const
{
    run(testArguments(archive));
}

void ArchiveEngine::createZip(const QString &zip, const QStringList &inputs) const
{
    run(createZipArguments(zip, inputs));
}

QString ArchiveEngine::preview(const ArchiveEntry &entry, const QString &archive) const
{
    const QString member = entry.path();
    // The copy must land inside its preview folder, whatever the archive says.
    if (PathScreen::isUnsafe(member))
        throw ArchiveError::commandFailed(
            QStringLiteral("Corvex cannot preview “%1”: its path leads outside the archive.").arg(member));

    const QString name = QStringLiteral("CorvexPreview-")
        + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QString temporary = QDir::tempPath();
    const QString folder = QDir(temporary).absoluteFilePath(name);
    QDir().mkpath(temporary);
    if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0)
        throw SystemError::fromErrno(QStringLiteral("Cannot create the folder “%1”").arg(folder), errno);
    runExtraction(extractArguments(archive, folder, member), folder);
    return folder + QLatin1Char('/') + member;
}
