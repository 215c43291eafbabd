// Add, Delete and Rename on an existing archive. Each is one or more runs
// of the tool, every run reading the last file written and writing a new
// one beside the archive (ArchiveChange); the last is listed, must hold
// exactly what the change should leave, and only then replaces the archive.
//
// The tool adds items at the archive's top only. Items going into a folder,
// or kept beside a member of their name, are added at the top and renamed
// into place by a further run; a member already at the top under such a
// name is first renamed out of the way and back in that same last run (the
// tool applies each pair of a rename to the names as they were, measured).
#include "engine/ArchiveEngine.h"

#include "engine/ArchiveChange.h"
#include "engine/ArchiveFile.h"
#include "engine/ArchiveFormats.h"
#include "engine/ChangeRules.h"
#include "engine/FileNames.h"
#include "engine/FileOps.h"
#include "engine/ListingParser.h"
#include "engine/OperationJob.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>

namespace {


QSet<QString> pathsOf(const std::vector<ArchiveEntry> &entries)
{
    QSet<QString> paths;
    paths.reserve(qsizetype(entries.size()));
    for (const ArchiveEntry &entry : entries)
        paths.insert(entry.path());
    return paths;
}

// Names one a line in a private file, each in quotes (see memberList in ArchiveEngine.cpp).
std::unique_ptr<QTemporaryFile> listFile(const QStringList &names)
{
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/corvex-members-XXXXXX"));
    if (!file->open())
        throw SystemError(file->errorString());
    for (const QString &name : names) {
        if (name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
            throw SystemError(QCoreApplication::translate("ArchiveEngine", "Corvex cannot change “%1”: its name holds a line break.")
                                  .arg(name.simplified()));
        file->write("\"" + name.toUtf8() + "\"\n");
    }
    if (!file->flush())
        throw SystemError(file->errorString());
    return file;
}

// An item going in: where the tool puts it and where it ends.
struct Item {
    QString input;
    QString top;
    QString target;
    bool folder = false;
};

QString holdName(int n)
{
    return QStringLiteral(".corvex-held-%1").arg(n);
}

} // namespace

Outcome ArchiveEngine::change(const OperationRequest &request, OperationJob &job) const
{
    const ArchiveFile file(request.archive);
    const ArchiveFormat &format = ArchiveFormats::identify(file.path(), file.descriptor());
    if (!file.isOpen()) {
        Outcome outcome = Outcome::ended(Outcome::Kind::Failed, file.description());
        if (file.problem() == ArchiveFile::Problem::NotAFile)
            outcome.failure = Outcome::Failure::NotAFile;
        return outcome;
    }
    if (const QString refusal = ArchiveFormats::refusal(format, Capability::Update); !refusal.isEmpty())
        return Outcome::ended(Outcome::Kind::Refused, refusal);
    // A compressed tar is changed as the tar, decompressed beside the
    // archive, and compressed again the same way at the end.
    const int tar = format.compressedStream ? tarFd(file, format) : -1;
    if (format.compressedStream && tar < 0)
        return Outcome::ended(Outcome::Kind::Refused,
                     QCoreApplication::translate("ArchiveEngine", "Corvex can change %1 only when it holds a tar archive.")
                         .arg(ArchiveFormats::described(format)));
    ArchiveChange change(file);
    if (!change.problem().isEmpty())
        return Outcome::ended(Outcome::Kind::Failed, change.problem());
    QString source = change.target();
    if (tar >= 0) {
        const QString written = change.nextTemporary();
        if (Outcome unpacked = runPlan(m_plans.decompressed(format, tar, written), job, QString()); !unpacked.succeeded())
            return unpacked;
        source = written;
    }
    const ArchiveFormat &changed = tar >= 0 ? ArchiveFormats::byExtension(QStringLiteral("x.tar")) : format;

    OperationRequest reading = request;
    reading.kind = OperationKind::Test;
    reading.archive = source;
    Outcome listed = listing(reading, changed, job, -1);
    if (!listed.succeeded())
        return listed;
    const QSet<QString> before = pathsOf(listed.entries);
    const bool encrypted = !request.password.isEmpty();
    // Members added to an encrypted archive are encrypted too, with a
    // password that opens the members there: the tool would take any.
    if (request.kind == OperationKind::Add) {
        const ArchiveEntry *smallest = nullptr;
        for (const ArchiveEntry &entry : listed.entries) {
            if (entry.isEncrypted() && !entry.isFolder()
                && (!smallest || entry.size().toLongLong() < smallest->size().toLongLong()))
                smallest = &entry;
        }
        if (smallest && !encrypted) {
            Outcome needed = Outcome::ended(Outcome::Kind::Failed);
            needed.failure = Outcome::Failure::PasswordNeeded;
            return needed;
        }
        if (smallest) {
            try {
                const auto member = listFile({smallest->path()});
                if (Outcome tested = runPlan(m_plans.memberTest(file.path(), member->fileName()), job, request.password);
                    !tested.succeeded())
                    return tested;
            } catch (const SystemError &error) {
                return Outcome::ended(Outcome::Kind::Failed, error.message());
            }
        }
    }

    // One run of the tool from the last file written to a new one.
    const auto step = [&](const std::function<ToolPlan(const QString &, const QString &)> &plan) {
        const QString written = change.nextTemporary();
        Outcome outcome = runPlan(plan(source, written), job, request.password);
        // The tool names the files it wrote, which the user never sees.
        outcome.output.replace(written, request.archive).replace(source, request.archive);
        source = written;
        return outcome;
    };

    QSet<QString> expected;
    bool exact = true;
    QStringList excludedSpecial;
    try {
        Outcome outcome;
        switch (request.kind) {
        case OperationKind::Delete: {
            // A delete that finds nothing is no success.
            for (const QString &member : request.members) {
                bool found = before.contains(member);
                for (auto it = before.cbegin(); !found && it != before.cend(); ++it)
                    found = ChangeRules::within(*it, member);
                if (!found)
                    return Outcome::ended(Outcome::Kind::Failed,
                                 QCoreApplication::translate("ArchiveEngine", "“%1” is not in the archive.").arg(member));
            }
            for (const QString &path : before) {
                bool gone = false;
                for (const QString &member : request.members)
                    gone = gone || ChangeRules::within(path, member);
                if (!gone)
                    expected.insert(path);
            }
            const auto members = listFile(request.members);
            outcome = step([&](const QString &from, const QString &to) {
                return m_plans.removal(from, to, members->fileName(), encrypted);
            });
            break;
        }
        case OperationKind::Rename: {
            const QString member = request.members.value(0);
            if (const QString problem = ChangeRules::renameProblem(before, member, request.newName); !problem.isEmpty())
                return Outcome::ended(Outcome::Kind::Refused, problem);
            const QString to = ChangeRules::renamed(member, request.newName);
            for (const QString &path : before)
                expected.insert(ChangeRules::within(path, member) ? to + path.mid(member.size()) : path);
            outcome = step([&](const QString &from, const QString &written) {
                return m_plans.renaming(from, written, {member, to}, encrypted);
            });
            break;
        }
        default: {
            exact = false;
            // The tool would read the archive, and the file it writes, while it writes.
            for (const QString &input : request.inputs) {
                const QString item = QFileInfo(input).canonicalFilePath();
                if (!item.isEmpty() && ChangeRules::within(change.target(), item))
                    return Outcome::ended(Outcome::Kind::Refused,
                                 QCoreApplication::translate("ArchiveEngine", "“%1” holds the archive itself, so it cannot be added to it.")
                                     .arg(QFileInfo(input).fileName()));
            }
            QSet<QString> folders;
            for (const ArchiveEntry &entry : listed.entries) {
                if (entry.isFolder())
                    folders.insert(entry.path());
            }
            outcome = add(request, job, before, folders, expected, excludedSpecial, step);
            break;
        }
        }
        if (!outcome.succeeded())
            return outcome;
        if (job.isCancelled())
            return Outcome::ended(Outcome::Kind::Cancelled);

        // What was written must hold what it should before it replaces anything.
        OperationRequest check = reading;
        check.archive = source;
        Outcome after = listing(check, changed, job, -1);
        if (after.kind == Outcome::Kind::Cancelled)
            return after;
        const QSet<QString> paths = pathsOf(after.entries);
        bool sound = after.succeeded();
        if (exact)
            sound = sound && ChangeRules::holdsExactly(paths, expected);
        for (auto it = expected.cbegin(); sound && !exact && it != expected.cend(); ++it)
            sound = paths.contains(*it);
        for (auto it = paths.cbegin(); sound && !exact && it != paths.cend(); ++it)
            sound = !it->startsWith(QLatin1String(".corvex-held-"));
        if (!sound)
            return Outcome::ended(Outcome::Kind::Failed,
                         QCoreApplication::translate("ArchiveEngine", "The changed archive did not hold what it should, so “%1” was left as it was.")
                             .arg(QFileInfo(request.archive).fileName()));
        if (job.isCancelled())
            return Outcome::ended(Outcome::Kind::Cancelled);
        if (tar >= 0) {
            outcome = step([&](const QString &from, const QString &to) { return m_plans.compressed(format, from, to); });
            if (!outcome.succeeded())
                return outcome;
        }
        change.place();
        outcome.path = request.archive;
        if (!excludedSpecial.isEmpty())
            outcome.description = QCoreApplication::translate(
                "ArchiveEngine", "%n special file(s) (pipes, sockets or devices) were left out: %1", nullptr,
                int(excludedSpecial.size())).arg(excludedSpecial.join(QStringLiteral(", ")));
        return outcome;
    } catch (const SystemError &error) {
        return Outcome::ended(Outcome::Kind::Failed, error.message());
    }
}

Outcome ArchiveEngine::add(const OperationRequest &request, OperationJob &job, const QSet<QString> &before,
                           const QSet<QString> &folders, QSet<QString> &expected, QStringList &special,
                           const Step &step) const
{
    const bool encrypted = !request.password.isEmpty();
    const QString base = request.base;
    QSet<QString> taken = before;
    std::vector<Item> items;
    QStringList replaced;
    std::optional<ConflictChoice> always;
    if (request.replace)
        always = ConflictChoice::Replace;
    for (const QString &input : request.inputs) {
        const QFileInfo info(input);
        Item item{QFileInfo(input).absoluteFilePath(), info.fileName(), QString(), info.isDir() && !info.isSymLink()};
        item.target = base.isEmpty() ? item.top : base + QLatin1Char('/') + item.top;
        if (taken.contains(item.target)) {
            ConflictChoice choice = always.value_or(ConflictChoice::Cancel);
            if (!always) {
                Question question;
                question.kind = Question::Kind::Conflict;
                question.archive = request.archive;
                question.existingPath = item.target;
                question.inArchive = true;
                question.existingIsFolder = !before.contains(item.target) || folders.contains(item.target);
                question.newIsFolder = item.folder;
                const std::optional<Answer> answer = job.ask(question);
                if (!answer || answer->cancelled)
                    return Outcome::ended(Outcome::Kind::Cancelled);
                choice = answer->choice;
                if (answer->applyToAll)
                    always = choice;
            }
            if (choice == ConflictChoice::Cancel)
                return Outcome::ended(Outcome::Kind::Cancelled);
            if (choice == ConflictChoice::Skip)
                continue;
            if (choice == ConflictChoice::KeepBoth)
                item.target = ChangeRules::keptName(taken, item.target, item.folder);
            else if (before.contains(item.target))
                replaced.append(item.target);
        }
        taken.insert(item.target);
        items.push_back(item);
    }
    if (items.empty())
        return Outcome::ended(Outcome::Kind::Succeeded);

    QStringList inputs;
    for (const Item &item : items) {
        inputs.append(item.input);
        for (const QByteArray &path : FileOps::specialFilesIn(QFile::encodeName(item.input)))
            special.append(QFile::decodeName(path));
    }
    // What is replaced goes first, whole: a file may replace a folder.
    for (const QString &path : before) {
        bool gone = false;
        for (const QString &member : replaced)
            gone = gone || ChangeRules::within(path, member);
        if (!gone)
            expected.insert(path);
    }
    const QSet<QString> remaining = expected;
    for (const Item &item : items)
        expected.insert(item.target);
    if (!replaced.isEmpty()) {
        const auto members = listFile(replaced);
        Outcome outcome = step([&](const QString &from, const QString &to) {
            return m_plans.removal(from, to, members->fileName(), encrypted);
        });
        if (!outcome.succeeded())
            return outcome;
    }
    // Members at the top in the way of an item renamed after it goes in.
    QStringList holding;
    QStringList back;
    for (const Item &item : items) {
        if (item.target == item.top)
            continue;
        bool inTheWay = false;
        for (auto it = remaining.cbegin(); !inTheWay && it != remaining.cend(); ++it)
            inTheWay = ChangeRules::within(*it, item.top);
        if (inTheWay && !holding.contains(item.top)) {
            holding += {item.top, holdName(int(holding.size()) / 2)};
            back += {holdName(int(back.size()) / 2), item.top};
        }
    }
    if (!holding.isEmpty()) {
        Outcome outcome = step([&](const QString &from, const QString &to) {
            return m_plans.renaming(from, to, holding, encrypted);
        });
        if (!outcome.succeeded())
            return outcome;
    }
    const auto excluded = special.isEmpty() ? nullptr : listFile(special);
    Outcome outcome = step([&](const QString &from, const QString &to) {
        return m_plans.addition(from, to, inputs, encrypted, excluded ? excluded->fileName() : QString());
    });
    if (!outcome.succeeded())
        return outcome;
    for (const Item &item : items) {
        if (item.target != item.top)
            back += {item.top, item.target};
    }
    if (!back.isEmpty()) {
        outcome = step([&](const QString &from, const QString &to) { return m_plans.renaming(from, to, back, encrypted); });
    }
    return outcome;
}
