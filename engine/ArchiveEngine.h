#pragma once

#include "engine/ArchiveEntry.h"
#include "engine/ArchiveError.h"
#include "engine/Operation.h"
#include "engine/ProcessRunner.h"

#include <QString>
#include <QStringList>
#include <vector>

class ArchiveFile;
class OperationJob;

// The one way to the archiver tool. Holds only the tool's location and never
// changes after creation, so one engine serves every thread at once. Every
// call blocks until the tool has exited. Locations are absolute paths.
class ArchiveEngine
{
public:
    // Throws ArchiveError::engineMissing unless <resourceFolder>/bin/7zz is
    // an executable file. An empty folder means there is none.
    explicit ArchiveEngine(const QString &resourceFolder);

    // <directory of the executable>/../share/corvex, or empty when the
    // application has no such folder.
    static QString applicationResourceFolder();

    const QString &executable() const { return m_executable; }

    // Carries out one operation to its end on the calling thread, reporting
    // progress to the job and stopping when it is cancelled. Never throws.
    Outcome execute(const OperationRequest &request, OperationJob &job) const;

    // The same without progress or cancel; failures throw as run() does.
    // Runs the tool once; returns its output, or throws
    // ArchiveError::commandFailed (any status but 0) or SystemError (launch).
    QString run(const QStringList &arguments, const QString &workingFolder = QString()) const;

    std::vector<ArchiveEntry> list(const QString &archive) const;
    void extract(const QString &archive, const QString &destination) const;
    void createZip(const QString &zip, const QStringList &inputs) const;
    // Unpacks one member into a fresh private folder (PreviewFolder) and
    // returns where the member lies there.
    QString preview(const ArchiveEntry &entry, const QString &archive) const;

    // Argument lists, kept apart so they can be checked as data.
    static QStringList listArguments(const QString &archive);
    static QStringList testArguments(const QString &archive);
    // With `encrypted` the tool reads the new password from its standard input.
    static QStringList createZipArguments(const QString &zip, const QStringList &inputs, bool encrypted = false);
    // Extraction into `folder`, optionally of some members. The tool runs
    // inside the folder and is told "-o.": it would replace each '*' of a
    // path given there by the archive's name, and with relative paths the
    // system resolves no folder above for each of a million files.
    struct Extraction {
        QStringList arguments;
        QString workingFolder;
    };
    // `memberList`, when given, names a file that lists the members to take,
    // one a line: no selection is too large for a command line.
    // `toolNames`: the list holds names as the tool printed them, which may
    // not be UTF-8; it then reads the list's bytes as they are (measured).
    static Extraction extractArguments(const QString &archive, const QString &folder,
                                       const QString &memberList = QString(), bool toolNames = false);
    // What every run of the tool gets besides its arguments. A password goes
    // to standard input as one line: never into the arguments or the
    // environment, which every local user can read.
    static ProcessRunner::Options toolOptions(const QString &password = QString());

private:
    Outcome runTool(const QStringList &arguments, OperationJob &job, const QString &workingFolder = QString(),
                    const QString &password = QString()) const;
    // One attempt, with the request's password; execute() asks and retries.
    Outcome executeOnce(const OperationRequest &request, OperationJob &job) const;
    Outcome extractInto(const OperationRequest &request, const QString &folder, const NameRecovery &names,
                        OperationJob &job) const;
    Outcome listing(const OperationRequest &request, OperationJob &job) const;
    Outcome create(const OperationRequest &request, OperationJob &job) const;

    // ArchiveEngineSafety.cpp: only a regular file is read, its listing is
    // screened, and extractions go through a staging folder.
    Outcome screenedListing(const OperationRequest &request, OperationJob &job) const;
    Outcome testing(const OperationRequest &request, OperationJob &job) const;
    Outcome extraction(const OperationRequest &request, OperationJob &job) const;
    Outcome screen(const OperationRequest &request, const ArchiveFile &file, OperationJob &job) const;
    Outcome stagedExtraction(const OperationRequest &request, const ArchiveFile &file, const QString &destination,
                             const NameRecovery &names, OperationJob &job) const;

    QString m_executable;
};
