// What stands between an archive and the file system: only a regular file
// is handed to the tool, an extraction is screened first (failing closed)
// and reads the very file that was screened, and the tool writes only into
// a private staging folder whose items are then moved into place, asking
// about every name that exists.
#include "engine/ArchiveEngine.h"

#include "engine/ArchiveFile.h"
#include "engine/ArchiveFormats.h"
#include "engine/ExtractionStaging.h"
#include "engine/FileNames.h"
#include "engine/FileOps.h"
#include "engine/FolderIndex.h"
#include "engine/ListingParser.h"
#include "engine/OperationJob.h"
#include "engine/PathScreen.h"
#include "engine/PreviewFolder.h"
#include "engine/TarProbe.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <unistd.h>

namespace {

Outcome failed(Outcome::Failure failure, const QString &description)
{
    Outcome outcome;
    outcome.kind = Outcome::Kind::Failed;
    outcome.failure = failure;
    outcome.description = description;
    return outcome;
}

Outcome cancelled()
{
    Outcome outcome;
    outcome.kind = Outcome::Kind::Cancelled;
    return outcome;
}

// Nothing is run on what is not a regular file: a FIFO would block the
// tool for ever, a folder would be searched for archives to extract.
// Nor on a format that does not allow what the request asks.
std::optional<Outcome> unusable(const ArchiveFile &file, const ArchiveFormat &format, OperationKind kind)
{
    if (!file.isOpen())
        return failed(file.problem() == ArchiveFile::Problem::NotAFile ? Outcome::Failure::NotAFile
                                                                       : Outcome::Failure::System,
                      file.description());
    if (const QString refusal = ArchiveFormats::refusal(format, ArchiveFormats::needed(kind)); !refusal.isEmpty())
        return failed(Outcome::Failure::System, refusal);
    return std::nullopt;
}

const ArchiveFormat &formatOf(const ArchiveFile &file)
{
    return ArchiveFormats::identify(file.path(), file.descriptor());
}

Outcome changed()
{
    return failed(Outcome::Failure::Changed, QString());
}

// Decodes the names a ZIP keeps in an old code page, in place.
NameRecovery recoverNames(const OperationRequest &request, std::vector<ArchiveEntry> &entries)
{
    return NameRecovery::apply(entries, request.codePage, QLocale::system().name());
}

} // namespace

int ArchiveEngine::tarFd(const ArchiveFile &file, const ArchiveFormat &format) const
{
    const bool tar = format.compressedStream
        && TarProbe::holdsTar(TarProbe::firstBlock(executable(), file.path()), file.path());
    return tar ? file.descriptor() : -1;
}

Outcome ArchiveEngine::screenedListing(const OperationRequest &request, OperationJob &job) const
{
    const ArchiveFile file(request.archive);
    const ArchiveFormat &format = formatOf(file);
    if (auto problem = unusable(file, format, request.kind))
        return *problem;
    Outcome outcome = listing(request, format, job, tarFd(file, format));
    outcome.format = &format;
    const NameRecovery names = recoverNames(request, outcome.entries);
    // The index was built on the tool's bytes; decoded names need another.
    if (names.hasOldNames() && outcome.folders)
        outcome.folders = std::make_shared<const FolderIndex>(FolderIndex::of(outcome.entries));
    // A listing of a file that changed meanwhile vouches for nothing.
    if (outcome.succeeded() && file.isUnchanged()) {
        outcome.screening = PathScreen::screen(outcome.entries, names);
        outcome.screening->file = file.identity();
    }
    return outcome;
}

Outcome ArchiveEngine::testing(const OperationRequest &request, OperationJob &job) const
{
    const ArchiveFile file(request.archive);
    const ArchiveFormat &format = formatOf(file);
    if (auto problem = unusable(file, format, request.kind))
        return *problem;
    return runPlan(m_plans.test(format, request.archive, tarFd(file, format)), job, request.password);
}

Outcome ArchiveEngine::screen(const OperationRequest &request, const ArchiveFile &file, const ArchiveFormat &format,
                              OperationJob &job, int tarFd) const
{
    // The caller's listing is good for as long as the file is the one listed.
    if (request.screening && request.screening->file == file.identity()) {
        Outcome outcome;
        outcome.screening = request.screening;
        if (!outcome.screening->passed())
            outcome.kind = Outcome::Kind::Refused;
        return outcome;
    }
    Outcome listed = listing(request, format, job, tarFd);
    if (listed.kind == Outcome::Kind::Cancelled)
        return listed;
    return screenListed(request, file, tarFd, std::move(listed));
}

Outcome ArchiveEngine::screenListed(const OperationRequest &request, const ArchiveFile &file, int tarFd,
                                    Outcome listed) const
{
    Outcome outcome;
    // An empty tar would make an empty folder and call it done.
    if (listed.succeeded() && listed.entries.empty() && tarFd >= 0)
        return failed(Outcome::Failure::System,
                      QCoreApplication::translate("ArchiveEngine", "“%1” is empty: there is nothing to extract.")
                          .arg(QFileInfo(request.archive).fileName()));
    const NameRecovery names = recoverNames(request, listed.entries);
    outcome.screening = PathScreen::screen(listed.entries, names);
    outcome.screening->file = file.identity();
    // A listing that failed part-way still refuses what it reached; with
    // nothing to refuse, it fails: what was not listed was not screened.
    if (outcome.screening->passed() && !listed.succeeded()) {
        listed.entries.clear();
        return listed;
    }
    if (outcome.screening->passed() && !file.isUnchanged())
        return changed();
    if (!outcome.screening->passed())
        outcome.kind = Outcome::Kind::Refused;
    return outcome;
}

Outcome ArchiveEngine::extraction(const OperationRequest &request, OperationJob &job) const
{
    const bool preview = request.kind == OperationKind::Preview;
    if (preview && request.members.size() != 1)
        return failed(Outcome::Failure::System,
                      QCoreApplication::translate("ArchiveEngine", "Corvex can preview one member at a time."));
    // The copy must land inside its preview folder, whatever the archive says.
    if (preview && PathScreen::isUnsafe(request.members.first()))
        return failed(Outcome::Failure::System,
                      QCoreApplication::translate("ArchiveEngine",
                                                  "Corvex cannot preview “%1”: its path leads outside the archive.")
                          .arg(request.members.first()));

    const ArchiveFile file(request.archive);
    const ArchiveFormat &format = formatOf(file);
    if (auto problem = unusable(file, format, request.kind))
        return *problem;
    const int tar = tarFd(file, format);
    // A compressed tar not screened yet is listed beside its extraction,
    // from one decompression: the tool writes only inside the staging folder
    // (it writes through no link it made, docs/tarballs.md), and nothing is
    // placed before the listing has passed the screen.
    const bool listedBeside = tar >= 0 && !(request.screening && request.screening->file == file.identity());
    Outcome screened;
    if (!listedBeside) {
        screened = screen(request, file, format, job, tar);
        if (!screened.succeeded())
            return screened;
    }

    // The destination is made only now, and a tarball refused beside its
    // extraction takes it away again: a refused archive leaves no trace.
    QString destination;
    bool made = false;
    try {
        if (preview) {
            destination = PreviewFolder::create();
            made = true;
        } else if (request.ownFolder) {
            const FileNames::ExtractFolder folder = FileNames::makeExtractFolder(request.archive);
            destination = folder.path;
            made = folder.created;
        } else {
            destination = request.destination;
            made = listedBeside && !QFileInfo::exists(destination);
            FileNames::createFolder(destination);
        }
    } catch (const SystemError &error) {
        return failed(Outcome::Failure::System, error.message());
    }

    Outcome outcome = stagedExtraction(request, file, format, destination,
                                       listedBeside ? NameRecovery() : screened.screening->names, job, tar,
                                       listedBeside);
    const QByteArray native = QFile::encodeName(destination);
    if (!outcome.succeeded() && made) {
        // A preview folder is private and ours; a new extraction folder goes only if empty.
        if (preview)
            FileOps::removeTree(AT_FDCWD, native.constData());
        else
            ::rmdir(native.constData());
    }
    if (outcome.succeeded())
        outcome.path = preview ? destination + QLatin1Char('/') + request.members.first() : destination;
    return outcome;
}

Outcome ArchiveEngine::stagedExtraction(const OperationRequest &request, const ArchiveFile &file,
                                        const ArchiveFormat &format, const QString &destination,
                                        const NameRecovery &names, OperationJob &job, int tarFd,
                                        bool listedBeside) const
{
    try {
        ExtractionStaging staging(destination);
        const auto placed = [&]() -> Outcome {
            ListingParser parser(false);
            Outcome outcome = extractInto(request, format, staging.path(), names, job, tarFd,
                                          listedBeside ? &parser : nullptr);
            NameRecovery listedNames = names;
            if (listedBeside && outcome.kind != Outcome::Kind::Cancelled) {
                Outcome listed = outcome;
                listed.entries = parser.finish();
                Outcome screened = screenListed(request, file, tarFd, std::move(listed));
                if (!screened.succeeded())
                    return screened;
                listedNames = screened.screening->names;
            }
            if (!outcome.succeeded())
                return outcome;
            // The tool wrote the stored bytes; the items take the names the listing showed.
            listedNames.renameIn(staging.path());
            // What the tool read must be what was screened.
            if (!file.isUnchanged())
                return changed();
            if (job.isCancelled())
                return cancelled();
            // A ZIP or 7z listing shows no link targets: the staged links are looked at instead.
            if (const QStringList out = staging.linksLeadingOut(request.base); !out.isEmpty()) {
                Outcome refused;
                refused.kind = Outcome::Kind::Refused;
                refused.screening.emplace().file = file.identity();
                refused.screening->unsafePaths = out;
                return refused;
            }
            // Once moving, a cancel is too late: the items are placed and the outcome says so.
            const ExtractionStaging::Result result = staging.moveIntoPlace(
                request.archive, [&job](const Question &question) { return job.ask(question); }, request.base,
                [&job] { return job.settle(); });
            return result.cancelled ? cancelled() : outcome;
        };
        Outcome outcome = placed();
        if (!staging.remove())
            return failed(Outcome::Failure::System,
                          QCoreApplication::translate("ArchiveEngine", "Corvex could not remove its temporary folder in “%1”.")
                              .arg(destination));
        return outcome;
    } catch (const SystemError &error) {
        return failed(Outcome::Failure::System, error.message());
    }
}
