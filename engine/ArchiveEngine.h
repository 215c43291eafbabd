#pragma once

#include "engine/ArchiveEntry.h"
#include "engine/FolderIndex.h"
#include "engine/SystemError.h"
#include "engine/Operation.h"
#include "engine/ToolPlans.h"

#include <QString>
#include <QSet>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class ArchiveFile;
class ListingParser;
class QTemporaryFile;
class OperationJob;
struct ArchiveFormat;

// The one way to the archiver tool. Holds only the tool's location and never
// changes after creation, so one engine serves every thread at once. Every
// call blocks until the tool has exited. Locations are absolute paths.
class ArchiveEngine
{
public:
    // The tool is <resourceFolder>/bin/7zz (hasTool() says whether it is there).
    explicit ArchiveEngine(const QString &resourceFolder);
    static bool hasTool(const QString &resourceFolder);

    // <directory of the executable>/../share/corvex, or empty when the
    // application has no such folder.
    static QString applicationResourceFolder();

    QString executable() const { return m_plans.program(Reader::SevenZip); }
    const ToolPlans &plans() const { return m_plans; }

    // Carries out one operation to its end on the calling thread, reporting
    // progress to the job and stopping when it is cancelled. Never throws.
    Outcome execute(const OperationRequest &request, OperationJob &job) const;

private:
    // Runs a plan for the job: progress from whichever run reports it (or
    // from the share of the input file fed), the password to the run that
    // takes it; a cancel stops every run. With `listing`, the last run's
    // output goes to it instead, and its entries to `folders` as they come.
    Outcome runPlan(const ToolPlan &plan, OperationJob &job, const QString &password,
                    ListingParser *listing = nullptr, FolderIndex::Builder *folders = nullptr) const;
    // One attempt, with the request's password; execute() asks and retries.
    Outcome executeOnce(const OperationRequest &request, OperationJob &job) const;
    // `tarFd`: the open archive when it is a compressed tar (see ToolPlans);
    // `listing` then gets its listing, read beside the extraction.
    Outcome extractInto(const OperationRequest &request, const ArchiveFormat &format, const QString &folder,
                        const NameRecovery &names, OperationJob &job, int tarFd,
                        ListingParser *listing = nullptr) const;
    Outcome listing(const OperationRequest &request, const ArchiveFormat &format, OperationJob &job,
                    int tarFd) const;
    Outcome create(const OperationRequest &request, OperationJob &job) const;
    // The pipes, sockets and devices at or under the items of a new archive:
    // left out and never opened, since the tool would wait on a pipe for
    // ever, deaf to SIGTERM. Returns the list the tool reads them from (none
    // when there are none) and sets `note`, the sentence naming them.
    // Throws SystemError.
    static std::unique_ptr<QTemporaryFile> leftOut(const QStringList &inputs, QString &note);
    // ArchiveEngineCreate.cpp: an archive the Compress dialog chose.
    Outcome createArchive(const OperationRequest &request, OperationJob &job) const;

    // ArchiveEngineChange.cpp: Add, Delete and Rename, through ArchiveChange.
    Outcome change(const OperationRequest &request, OperationJob &job) const;
    // One run from the last file written to a new one; the plan is given both.
    using Step = std::function<Outcome(const std::function<ToolPlan(const QString &, const QString &)> &)>;
    // Asks about names that exist, then runs what adding takes; `expected`
    // gets what the result must hold, `special` what was left out.
    Outcome add(const OperationRequest &request, OperationJob &job, const QSet<QString> &before,
                const QSet<QString> &folders, QSet<QString> &expected, QStringList &special, const Step &step) const;

    // ArchiveEngineSafety.cpp: only a regular file is read, its listing is
    // screened, and extractions go through a staging folder.
    Outcome screenedListing(const OperationRequest &request, OperationJob &job) const;
    Outcome testing(const OperationRequest &request, OperationJob &job) const;
    Outcome extraction(const OperationRequest &request, OperationJob &job) const;
    Outcome screen(const OperationRequest &request, const ArchiveFile &file, const ArchiveFormat &format,
                   OperationJob &job, int tarFd) const;
    // The screen of a listing made: refused, failed, or its screening.
    Outcome screenListed(const OperationRequest &request, const ArchiveFile &file, int tarFd, Outcome listed) const;
    // `listedBeside`: a compressed tar not screened yet, listed beside its
    // extraction and screened before anything is placed.
    Outcome stagedExtraction(const OperationRequest &request, const ArchiveFile &file, const ArchiveFormat &format,
                             const QString &destination, const NameRecovery &names, OperationJob &job,
                             int tarFd, bool listedBeside) const;
    // The file's descriptor when it is a compressed stream holding a tar; else -1.
    int tarFd(const ArchiveFile &file, const ArchiveFormat &format) const;

    ToolPlans m_plans;
};
