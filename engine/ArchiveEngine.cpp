#include "engine/ArchiveEngine.h"

#include "engine/FileNames.h"
#include "engine/ListingParser.h"
#include "engine/NewZip.h"
#include "engine/OperationJob.h"
#include "engine/PasswordRetry.h"
#include "engine/PasswordSignals.h"
#include "engine/ProcessRunner.h"
#include "engine/ProgressParser.h"
#include "engine/ToolPassword.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {

// A failed listing of a huge damaged archive prints a record per member;
// its error keeps the beginning and the end, where the tool's errors are.
constexpr qsizetype kListingErrorLimit = 16 * 1024 * 1024;
// Other runs print a line or two per file at most.
constexpr qsizetype kOutputLimit = 4 * 1024 * 1024;

Outcome cancelled()
{
    Outcome outcome;
    outcome.kind = Outcome::Kind::Cancelled;
    return outcome;
}

Outcome systemFailure(const QString &description, Outcome::Failure failure = Outcome::Failure::System)
{
    Outcome outcome;
    outcome.kind = Outcome::Kind::Failed;
    outcome.failure = failure;
    outcome.description = description;
    return outcome;
}

// The tool's password prompt ends in "Break signaled" and 255, which reads
// like a stop: the signals, seen in the whole output, decide first.
Outcome toolOutcome(const ProcessRunner::Result &result, const OperationJob &job, PasswordSignals::Verdict password)
{
    if (result.cancelled || job.isCancelled())
        return cancelled();
    Outcome outcome;
    if (result.status != 0) {
        outcome.kind = Outcome::Kind::Failed;
        outcome.failure = Outcome::Failure::Tool;
        outcome.status = result.status;
        outcome.output = QString::fromUtf8(result.output);
        switch (password) {
        case PasswordSignals::Verdict::Wrong:
            outcome.failure = Outcome::Failure::WrongPassword;
            break;
        case PasswordSignals::Verdict::Needed:
            outcome.failure = Outcome::Failure::PasswordNeeded;
            break;
        case PasswordSignals::Verdict::None:
            break;
        }
    }
    return outcome;
}

// The members to take, one a line, in a private file that lives as long as
// the object. The tool trims white space around a line and reads one pair of
// double quotes around it as quoting, so every name goes in quotes: it then
// stays exactly as it is. A line break cannot be named at all.
std::unique_ptr<QTemporaryFile> memberList(const QStringList &members, const NameRecovery &names)
{
    for (const QString &member : members) {
        if (member.contains(QLatin1Char('\n')) || member.contains(QLatin1Char('\r')))
            throw SystemError(
                QCoreApplication::translate("ArchiveEngine",
                                            "Corvex cannot extract “%1” alone: its name holds a line break.")
                    .arg(member.simplified()));
    }
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/corvex-members-XXXXXX"));
    if (!file->open())
        throw SystemError(QCoreApplication::translate("ArchiveEngine", "Cannot write the list of members: %1")
                              .arg(file->errorString()));
    for (const QString &member : members) {
        file->write("\"", 1);
        file->write(names.toolPath(member));
        file->write("\"\n", 2);
    }
    if (!file->flush())
        throw SystemError(QCoreApplication::translate("ArchiveEngine", "Cannot write the list of members: %1")
                              .arg(file->errorString()));
    return file;
}

void throwOnFailure(const Outcome &outcome)
{
    if (outcome.kind == Outcome::Kind::Succeeded)
        return;
    if (outcome.failure == Outcome::Failure::Tool || PasswordRetry::isPasswordFailure(outcome))
        throw ArchiveError::commandFailed(outcome.output);
    throw SystemError(outcome.description);
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

// The tool turns every member's time into local time. With no TZ set the C
// library looks at /etc/localtime again for each one, which is half the time
// of a large listing; naming that same file gives the same times without
// the checks. A TZ of the user's own is left alone.
ProcessRunner::Options ArchiveEngine::toolOptions(const QString &password)
{
    ProcessRunner::Options options;
    if (!qEnvironmentVariableIsSet("TZ"))
        options.environment = QStringList{QStringLiteral("TZ=:/etc/localtime")};
    // With no input the tool reads the null device: a prompt ends the run.
    if (!password.isEmpty())
        options.input = ToolPassword::standardInput(password);
    return options;
}

QString ArchiveEngine::run(const QStringList &arguments, const QString &workingFolder) const
{
    ProcessRunner::Options options = toolOptions();
    options.workingFolder = workingFolder;
    const ProcessRunner::Result result = ProcessRunner::run(m_executable, arguments, options);
    if (result.status != 0)
        throw ArchiveError::commandFailed(QString::fromUtf8(result.output));
    return QString::fromUtf8(result.output);
}

// "-spd" everywhere: names are literal, never wildcards. "--" before the
// paths: a name that starts with '-' is never read as a switch.
QStringList ArchiveEngine::listArguments(const QString &archive)
{
    return {QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-spd"), QStringLiteral("--"), archive};
}

// "-bsp1": progress on the output, which the job reads.
QStringList ArchiveEngine::testArguments(const QString &archive)
{
    return {QStringLiteral("t"), QStringLiteral("-bsp1"), QStringLiteral("-spd"), QStringLiteral("--"), archive};
}

QStringList ArchiveEngine::createZipArguments(const QString &zip, const QStringList &inputs, bool encrypted)
{
    QStringList arguments{QStringLiteral("a"), QStringLiteral("-tzip"), QStringLiteral("-bsp1")};
    // A bare -p makes the tool read the password from its standard input.
    if (encrypted)
        arguments += {QStringLiteral("-mem=AES256"), QStringLiteral("-p")};
    arguments += {QStringLiteral("-spd"), QStringLiteral("--"), zip};
    arguments += inputs;
    return arguments;
}

ArchiveEngine::Extraction ArchiveEngine::extractArguments(const QString &archive, const QString &folder,
                                                          const QString &memberList, bool toolNames)
{
    Extraction extraction;
    extraction.workingFolder = folder;
    extraction.arguments = {QStringLiteral("x"), QStringLiteral("-bsp1"), QStringLiteral("-spd"),
                            QStringLiteral("-o."), QStringLiteral("-y")};
    if (!memberList.isEmpty())
        extraction.arguments += {toolNames ? QStringLiteral("-scsWIN") : QStringLiteral("-scsUTF-8"),
                                 QStringLiteral("-i@") + memberList};
    extraction.arguments += {QStringLiteral("--"), archive};
    return extraction;
}

Outcome ArchiveEngine::runTool(const QStringList &arguments, OperationJob &job, const QString &workingFolder,
                               const QString &password) const
{
    if (job.isCancelled())
        return cancelled();
    ProgressParser progress;
    PasswordSignals passwordSignals;
    ProcessRunner::Options options = toolOptions(password);
    options.workingFolder = workingFolder;
    options.keepLimit = kOutputLimit;
    options.cancelFd = job.cancelFd();
    options.onOutput = [&progress, &passwordSignals, &job](QByteArrayView chunk) {
        passwordSignals.feed(chunk);
        if (auto latest = progress.feed(chunk))
            job.report(*latest);
    };
    try {
        const ProcessRunner::Result result = ProcessRunner::run(m_executable, arguments, options);
        Outcome outcome = toolOutcome(result, job, passwordSignals.verdict(result.status));
        // Kept on success too: it says whether chosen members were found.
        if (outcome.succeeded())
            outcome.output = QString::fromUtf8(result.output);
        return outcome;
    } catch (const SystemError &error) {
        return systemFailure(error.message());
    }
}

Outcome ArchiveEngine::listing(const OperationRequest &request, OperationJob &job) const
{
    if (job.isCancelled())
        return cancelled();
    ListingParser parser;
    ProcessRunner::Options options = toolOptions(request.password);
    options.keepLimit = kListingErrorLimit;
    options.cancelFd = job.cancelFd();
    // A listing writes nothing, and the tool reads a stop request only
    // between archives: there is nothing to wait for.
    options.graceMs = 10;
    options.onOutput = [&parser, &job](QByteArrayView chunk) {
        parser.feed(chunk);
        OperationProgress progress;
        progress.items = qint64(parser.entryCount());
        job.report(progress);
    };
    try {
        const ProcessRunner::Result result = ProcessRunner::run(m_executable, listArguments(request.archive), options);
        // Only a failed listing is read for passwords, from what was kept: the
        // tool asks or refuses before any record, so that is never cut out.
        // Reading a million records as they come would cost the load time.
        const auto password = result.status != 0 ? PasswordSignals::read(result.status, result.output)
                                                 : PasswordSignals::Verdict::None;
        Outcome outcome = toolOutcome(result, job, password);
        // A failed listing still gives what it reached: the screen needs it.
        if (outcome.kind != Outcome::Kind::Cancelled)
            outcome.entries = parser.finish();
        return outcome;
    } catch (const SystemError &error) {
        return systemFailure(error.message());
    }
}

Outcome ArchiveEngine::extractInto(const OperationRequest &request, const QString &folder, const NameRecovery &names,
                                   OperationJob &job) const
{
    try {
        std::unique_ptr<QTemporaryFile> members;
        if (!request.members.isEmpty())
            members = memberList(request.members, names);
        const Extraction extraction = extractArguments(request.archive, folder, members ? members->fileName() : QString(),
                                                       members && names.hasOldNames());
        // Run inside the folder: the tool would have made it for "-o" too.
        FileNames::createFolder(folder);
        Outcome outcome = runTool(extraction.arguments, job, extraction.workingFolder, request.password);
        // The tool ends with success when none of the names it was given is
        // in the archive; asked for members, that is no success.
        if (members && outcome.succeeded() && outcome.output.contains(QLatin1String("No files to process")))
            outcome = systemFailure(
                QCoreApplication::translate("ArchiveEngine", "None of the chosen items was found in the archive."));
        outcome.path = folder;
        return outcome;
    } catch (const SystemError &error) {
        return systemFailure(error.message());
    }
}

Outcome ArchiveEngine::create(const OperationRequest &request, OperationJob &job) const
{
    // The tool would fail the whole run on a password it cannot use.
    if (const QString problem = ToolPassword::newZipProblem(request.password); !problem.isEmpty())
        return systemFailure(problem);
    // Written under a hidden temporary name beside the target and moved
    // there only when complete (NewZip): an existing file is never updated,
    // and a cancel or failure leaves nothing behind.
    struct NotWritten {};
    Outcome outcome;
    const auto write = [&](const QString &temporary) {
        outcome = runTool(createZipArguments(temporary, request.inputs, !request.password.isEmpty()), job,
                          QString(), request.password);
        if (outcome.succeeded() && job.isCancelled())
            outcome = cancelled();
        if (!outcome.succeeded())
            throw NotWritten();
    };
    QString placed = request.archive;
    try {
        if (request.keepExisting)
            placed = NewZip::writeBeside(request.archive, write);
        else
            NewZip::writeReplacing(request.archive, write);
    } catch (const NotWritten &) {
    } catch (const SystemError &error) {
        outcome = systemFailure(error.message());
    }
    outcome.path = placed;
    return outcome;
}

Outcome ArchiveEngine::execute(const OperationRequest &request, OperationJob &job) const
{
    // A new ZIP's password is given, never asked for.
    if (request.kind == OperationKind::Create)
        return create(request, job);
    return PasswordRetry::run(request, job, [this, &job](const OperationRequest &attempt) {
        return executeOnce(attempt, job);
    });
}

Outcome ArchiveEngine::executeOnce(const OperationRequest &request, OperationJob &job) const
{
    switch (request.kind) {
    case OperationKind::List:
        return screenedListing(request, job);
    case OperationKind::Extract:
    case OperationKind::Preview:
        return extraction(request, job);
    case OperationKind::Test:
        return testing(request, job);
    case OperationKind::Create:
        return create(request, job);
    }
    return systemFailure(QStringLiteral("Unknown operation."));
}

namespace {

Outcome executeToEnd(const ArchiveEngine &engine, const OperationRequest &request)
{
    OperationJob job;
    return engine.execute(request, job);
}

} // namespace

std::vector<ArchiveEntry> ArchiveEngine::list(const QString &archive) const
{
    OperationRequest request;
    request.archive = archive;
    Outcome outcome = executeToEnd(*this, request);
    throwOnFailure(outcome);
    return std::move(outcome.entries);
}

void ArchiveEngine::extract(const QString &archive, const QString &destination) const
{
    OperationRequest request;
    request.kind = OperationKind::Extract;
    request.archive = archive;
    request.destination = destination;
    throwOnFailure(executeToEnd(*this, request));
}

void ArchiveEngine::createZip(const QString &zip, const QStringList &inputs) const
{
    OperationRequest request;
    request.kind = OperationKind::Create;
    request.archive = zip;
    request.inputs = inputs;
    throwOnFailure(executeToEnd(*this, request));
}

QString ArchiveEngine::preview(const ArchiveEntry &entry, const QString &archive) const
{
    OperationRequest request;
    request.kind = OperationKind::Preview;
    request.archive = archive;
    request.members = {entry.path()};
    const Outcome outcome = executeToEnd(*this, request);
    throwOnFailure(outcome);
    return outcome.path;
}
