// A new archive as the Compress dialog chose it: an existing name is asked
// about first, the archive is written under a temporary name (NewArchive)
// and moved into place only when every run of its plan succeeded.
#include "engine/ArchiveEngine.h"

#include "engine/SystemError.h"
#include "engine/CreationRules.h"
#include "engine/NewArchive.h"
#include "engine/OperationJob.h"

#include <QTemporaryFile>

Outcome ArchiveEngine::createArchive(const OperationRequest &request, OperationJob &job) const
{
    const NewArchiveOptions &options = *request.creation;
    if (const QString problem = CreationRules::passwordProblem(options.format, request.password); !problem.isEmpty())
        return Outcome::ended(Outcome::Kind::Failed, problem);

    bool replace = false;
    if (CreationRules::taken(request.archive, options.volumeBytes)) {
        Question question;
        question.kind = Question::Kind::Conflict;
        question.archive = request.archive;
        question.existingPath = CreationRules::taken(request.archive, 0)
            ? request.archive
            : CreationRules::volumePath(request.archive, 1);
        question.newArchive = true;
        question.keptName = CreationRules::freeName(request.archive, options.volumeBytes);
        const std::optional<Answer> answer = job.ask(question);
        if (!answer || answer->cancelled || answer->choice == ConflictChoice::Cancel
            || answer->choice == ConflictChoice::Skip)
            return Outcome::ended(Outcome::Kind::Cancelled);
        replace = answer->choice == ConflictChoice::Replace;
    }

    QString note;
    std::unique_ptr<QTemporaryFile> excluded;
    try {
        excluded = leftOut(request.inputs, note);
    } catch (const SystemError &error) {
        return Outcome::ended(Outcome::Kind::Failed, error.message());
    }
    NewArchive archive(request.archive, QLatin1String(CreationRules::row(options.format).extension),
                       options.volumeBytes > 0);
    Outcome outcome = runPlan(m_plans.newArchive(archive.temporaryPath(), request.inputs, options,
                                                 !request.password.isEmpty(), excluded ? excluded->fileName() : QString()),
                              job, request.password);
    // The tool names the file it wrote, which the user never sees.
    outcome.output.replace(archive.temporaryPath(), request.archive);
    if (outcome.succeeded() && job.isCancelled())
        return Outcome::ended(Outcome::Kind::Cancelled);
    if (!outcome.succeeded())
        return outcome;
    try {
        outcome.path = archive.place(replace);
    } catch (const SystemError &error) {
        return Outcome::ended(Outcome::Kind::Failed, error.message());
    }
    outcome.description = note;
    return outcome;
}
