#include "engine/ArchiveEngine.h"

#include "engine/FileNames.h"
#include "engine/FileOps.h"
#include "engine/FolderIndex.h"
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
Outcome toolOutcome(const ProcessRunner::PlanResult &result, const OperationJob &job,
                    PasswordSignals::Verdict password)
{
    if (result.cancelled || job.isCancelled())
        return cancelled();
    Outcome outcome;
    const int failed = result.failedStage();
    if (failed >= 0) {
        // The failing run's own lines: the others only lost their input or reader.
        const ProcessRunner::Result &cause = result.stages[size_t(failed)];
        outcome.kind = Outcome::Kind::Failed;
        outcome.failure = Outcome::Failure::Tool;
        outcome.status = cause.status;
        outcome.output = QString::fromUtf8(cause.output);
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
    } else if (result.leftData) {
        // The tar's reader stopped early and quietly: a damaged header.
        outcome.kind = Outcome::Kind::Failed;
        outcome.failure = Outcome::Failure::Damaged;
    }
    return outcome;
}

// The members to take, one a line, in a private file that lives as long as
// the object. The tool trims white space around a line and reads one pair of
// double quotes around it as quoting, so every name goes in quotes: it then
// stays exactly as it is. A line break cannot be named at all.
std::unique_ptr<QTemporaryFile> memberList(const QStringList &members, const NameRecovery &names,
                                           const char *lineBreak = QT_TRANSLATE_NOOP(
                                               "ArchiveEngine", "Corvex cannot extract “%1” alone: its name holds a line break."))
{
    for (const QString &member : members) {
        if (member.contains(QLatin1Char('\n')) || member.contains(QLatin1Char('\r')))
            throw SystemError(QCoreApplication::translate("ArchiveEngine", lineBreak).arg(member.simplified()));
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

} // namespace

ArchiveEngine::ArchiveEngine(const QString &resourceFolder)
    : m_plans(QDir(resourceFolder).absoluteFilePath(QStringLiteral("bin")))
{
}

bool ArchiveEngine::hasTool(const QString &resourceFolder)
{
    const QFileInfo info(ArchiveEngine(resourceFolder).executable());
    return !resourceFolder.isEmpty() && info.isFile() && info.isExecutable();
}

QString ArchiveEngine::applicationResourceFolder()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (programFolder.isEmpty())
        return QString();
    const QString folder = QDir::cleanPath(programFolder + QStringLiteral("/../share/corvex"));
    return QFileInfo(folder).isDir() ? folder : QString();
}

Outcome ArchiveEngine::runPlan(const ToolPlan &plan, OperationJob &job, const QString &password,
                               ListingParser *listing, FolderIndex::Builder *folders) const
{
    if (job.isCancelled())
        return cancelled();
    const size_t count = plan.stages.size();
    std::vector<ProgressParser> progress(count);
    PasswordSignals passwordSignals;
    ProcessRunner::Options options = ToolPlans::options(password);
    if (options.input && plan.passwordLines > 1)
        *options.input = options.input->repeated(plan.passwordLines);
    options.keepLimit = listing ? kListingErrorLimit : kOutputLimit;
    options.cancelFd = job.cancelFd();
    // A listing writes nothing, and the tool reads a stop request only
    // between archives: there is nothing to wait for.
    size_t indexed = 0;
    const bool beside = plan.listingBeside;
    if (listing && !beside)
        options.graceMs = 10;
    const size_t listingStage = beside ? count - 2 : count - 1;
    // A listing through a pipeline has both a share read and members listed.
    OperationProgress listed;
    options.onOutput = [&](int stage, QByteArrayView chunk) {
        if (listing && size_t(stage) == listingStage) {
            listing->feed(chunk);
            // The window's folder index grows with the listing.
            for (; folders && indexed < listing->entryCount(); ++indexed)
                folders->add(listing->entries()[indexed]);
            // Beside an extraction, the extraction's progress is shown.
            if (!beside) {
                listed.items = qint64(listing->entryCount());
                job.report(listed);
            }
            return;
        }
        // Only the first run's standard input is free for a password.
        if (!listing && stage == 0)
            passwordSignals.feed(chunk);
        if (auto latest = progress[size_t(stage)].feed(chunk)) {
            listed.percent = latest->percent;
            job.report(listing && !beside ? listed : *latest);
        }
    };
    options.onFed = [&job, &listed](qint64 fed, qint64 size) {
        listed.percent = size > 0 ? int(fed * 100 / size) : 0;
        job.report(listed);
    };
    {
        const ProcessRunner::PlanResult result = ProcessRunner::run(plan, options);
        if (!result.problem.isEmpty())
            return systemFailure(result.problem);
        PasswordSignals::Verdict password = PasswordSignals::Verdict::None;
        if (result.failedStage() == 0) {
            // A listing is read for passwords only when it failed, from what
            // was kept: the tool asks or refuses before any record, so that
            // is never cut out. Reading a million records as they come would
            // cost the load time.
            const ProcessRunner::Result &first = result.stages.front();
            password = listing ? PasswordSignals::read(first.status, first.output) : passwordSignals.verdict(first.status);
        }
        Outcome outcome = toolOutcome(result, job, password);
        // Kept on success too: it says whether chosen members were found.
        if (outcome.succeeded() && (!listing || beside))
            outcome.output = QString::fromUtf8(result.stages.back().output);
        return outcome;
    }
}

Outcome ArchiveEngine::listing(const OperationRequest &request, const ArchiveFormat &format, OperationJob &job,
                               int tarFd) const
{
    ListingParser parser(tarFd < 0);
    // The window's listing gets the folder index too; a screening one needs none.
    FolderIndex::Builder folders;
    const bool indexed = request.kind == OperationKind::List;
    Outcome outcome = runPlan(m_plans.list(format, request.archive, tarFd), job, request.password, &parser,
                              indexed ? &folders : nullptr);
    // A failed listing still gives what it reached: the screen needs it.
    if (outcome.kind != Outcome::Kind::Cancelled)
        outcome.entries = parser.finish();
    if (indexed && outcome.succeeded()) {
        for (size_t i = folders.count(); i < outcome.entries.size(); ++i)
            folders.add(outcome.entries[i]);
        outcome.folders = std::make_shared<const FolderIndex>(folders.finish(outcome.entries));
    }
    return outcome;
}

Outcome ArchiveEngine::extractInto(const OperationRequest &request, const ArchiveFormat &format, const QString &folder,
                                   const NameRecovery &names, OperationJob &job, int tarFd,
                                   ListingParser *listing) const
{
    try {
        std::unique_ptr<QTemporaryFile> members;
        if (!request.members.isEmpty())
            members = memberList(request.members, names);
        const QString list = members ? members->fileName() : QString();
        const bool toolNames = members && names.hasOldNames();
        const ToolPlan plan = listing ? m_plans.extractListed(format, request.archive, folder, list, toolNames, tarFd)
                                      : m_plans.extract(format, request.archive, folder, list, toolNames, tarFd);
        // Run inside the folder: the tool would have made it for "-o" too.
        FileNames::createFolder(folder);
        Outcome outcome = runPlan(plan, job, request.password, listing);
        // The tool ends with success when none of the names it was given is
        // in the archive; asked for members, that is no success. Reading a
        // tar from a stream it does not even say so: nothing came out.
        const bool none = outcome.output.contains(QLatin1String("No files to process"))
            || (tarFd >= 0 && FileOps::namesIn(FileOps::Fd(FileOps::openFolder(QFile::encodeName(folder))).get()).empty());
        if (members && outcome.succeeded() && none)
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
    if (request.creation)
        return createArchive(request, job);
    // The tool would fail the whole run on a password it cannot use.
    if (const QString problem = ToolPassword::newZipProblem(request.password); !problem.isEmpty())
        return systemFailure(problem);
    // Written under a hidden temporary name beside the target and moved
    // there only when complete (NewZip): an existing file is never updated,
    // and a cancel or failure leaves nothing behind.
    QString note;
    std::unique_ptr<QTemporaryFile> excluded;
    try {
        excluded = leftOut(request.inputs, note);
    } catch (const SystemError &error) {
        return systemFailure(error.message());
    }
    struct NotWritten {};
    Outcome outcome;
    const auto write = [&](const QString &temporary) {
        outcome = runPlan(m_plans.createZip(temporary, request.inputs, !request.password.isEmpty(),
                                            excluded ? excluded->fileName() : QString()),
                          job, request.password);
        // The tool names the file it wrote, which the user never sees.
        outcome.output.replace(temporary, request.archive);
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
    if (outcome.succeeded())
        outcome.description = note;
    return outcome;
}

std::unique_ptr<QTemporaryFile> ArchiveEngine::leftOut(const QStringList &inputs, QString &note)
{
    QStringList special;
    for (const QString &input : inputs)
        for (const QByteArray &path : FileOps::specialFilesIn(QFile::encodeName(input)))
            special.append(QFile::decodeName(path));
    if (special.isEmpty())
        return nullptr;
    note = QCoreApplication::translate("ArchiveEngine",
                                       "%n special file(s) (pipes, sockets or devices) were left out: %1", nullptr,
                                       int(special.size()))
               .arg(special.join(QStringLiteral(", ")));
    return memberList(special, NameRecovery(),
                      QT_TRANSLATE_NOOP("ArchiveEngine", "Corvex cannot leave out “%1”: its name holds a line break."));
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
    case OperationKind::Add:
    case OperationKind::Delete:
    case OperationKind::Rename:
        return change(request, job);
    }
    return systemFailure(QStringLiteral("Unknown operation."));
}
