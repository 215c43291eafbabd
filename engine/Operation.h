#pragma once

#include "engine/ArchiveEntry.h"
#include "engine/NameRecovery.h"
#include "engine/NewArchiveOptions.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

struct ArchiveFormat;

// What one operation is asked to do, what it may ask the user on the way,
// and how it ended. Plain data: the engine raises questions and reports
// outcomes; the window and the command line decide what to show.

class FolderIndex;

// Add, Delete and Rename change an existing archive (ArchiveChange).
enum class OperationKind { List, Extract, Test, Create, Preview, Add, Delete, Rename };

// Which file was read: the same path may name another file later.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modified = 0;   // nanoseconds

    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

// What the screen found in one archive file's listing.
struct Screening {
    FileIdentity file;
    // Members that could land outside the destination, and anti-items,
    // which delete what they name; each in listing order.
    QStringList unsafePaths;
    QStringList antiItems;
    // The members' names as decoded from an old code page, and the tool's
    // bytes for them; the paths above are the decoded ones.
    NameRecovery names;

    bool passed() const { return unsafePaths.isEmpty() && antiItems.isEmpty(); }
};

struct OperationRequest {
    OperationKind kind = OperationKind::List;
    // The archive read, or (Create) the ZIP written.
    QString archive;
    // Extract: the folder the members land in.
    QString destination;
    // Extract: instead, a folder beside the archive named after it; an
    // existing real folder of that name is merged into, anything else
    // there gives the next free name. Made only once the screen passed.
    bool ownFolder = false;
    // Extract and Preview: the screen of a listing the caller already has;
    // used only while the archive is still that same file.
    std::optional<Screening> screening;
    // Extract and Preview: the members to take; empty takes all (Extract).
    // Delete: the members that go, folders with their contents. Rename: the one renamed.
    QStringList members;
    // Extract: the folder (normalised, "a/b") the members were chosen in:
    // what is inside it lands at the destination's top, as a copy from a
    // file manager would. Empty: every member at its full path.
    // Add: the archive's folder the items go into; empty: its top.
    QString base;
    // Create and Add: the files and folders that go in.
    QStringList inputs;
    // Rename: the member's new name, without its folder.
    QString newName;
    // Add: a member of an item's name is replaced without asking (an edited copy going back).
    bool replace = false;
    // Create: an existing file at `archive` is kept, and the ZIP takes the
    // first free name beside it ("report 2.zip"); otherwise it is replaced.
    bool keepExisting = false;
    // Reading: the code page of a ZIP's names without the UTF-8 flag, as
    // the user chose it; 0 detects it.
    int codePage = 0;
    // Reading: a password known to work; empty until one is needed.
    // Create: the new ZIP's password (AES-256); empty makes a plain ZIP.
    // Kept in memory only, and given to the tool on its standard input.
    QString password;
    // Create: a new archive of any format (the Compress dialog); unset,
    // the one-click ZIP above. An existing name is asked about.
    std::optional<NewArchiveOptions> creation;
};

struct OperationProgress {
    // 0 to 100; -1 when the tool gives no percentage (a listing).
    int percent = -1;
    // Members listed so far, or files done.
    qint64 items = 0;
    // The member or file at hand, when the tool names one.
    QString name;

    friend bool operator==(const OperationProgress &, const OperationProgress &) = default;
};

// A name that exists where an extracted item is to go.
enum class ConflictChoice { Replace, KeepBoth, Skip, Cancel };

struct Question {
    enum class Kind { Password, Conflict };
    Kind kind = Kind::Password;
    // The archive the question is about.
    QString archive;
    // Password: the last password given was wrong (never on a first ask).
    bool lastPasswordWrong = false;
    // Conflict: the existing path, and whether it and the new item are folders.
    QString existingPath;
    bool existingIsFolder = false;
    bool newIsFolder = false;
    // Conflict: the existing item is the archive's member `existingPath`.
    bool inArchive = false;
    // Conflict over a new archive's name: Replace or Keep Both, which
    // takes `keptName` (its path).
    bool newArchive = false;
    QString keptName;
};

struct Answer {
    // Cancel ends the operation quietly; so does a question left unanswered
    // when the job is cancelled.
    bool cancelled = false;
    QString password;
    ConflictChoice choice = ConflictChoice::Cancel;
    // Conflict: the same choice for every later conflict of this operation.
    bool applyToAll = false;

    // The answer of whoever cannot or will not answer.
    static Answer cancel() { return Answer{true, {}, ConflictChoice::Cancel, false}; }
};

struct Outcome {
    enum class Kind { Succeeded, Cancelled, Failed, Refused };
    enum class Failure {
        None,
        Tool,          // the tool ran and failed: see status and output
        WrongPassword, // the tool refused the password it was given
        PasswordNeeded, // the tool asked for a password and none could be given
        System,        // the system refused: see description
        NotAFile,      // the archive is not a regular file
        Changed,       // the archive changed between screening and extraction
        Damaged,       // the tool did not notice: a tar in a stream ends before the stream
    };

    // An end the engine itself decides: a failure of this kind is the system's.
    static Outcome ended(Kind kind, const QString &description = QString())
    {
        Outcome outcome;
        outcome.kind = kind;
        outcome.failure = kind == Kind::Failed ? Failure::System : Failure::None;
        outcome.description = description;
        return outcome;
    }

    Kind kind = Kind::Succeeded;
    Failure failure = Failure::None;
    // Failed: the tool's exit status and its output (bounded), or the
    // system's message.
    int status = 0;
    QString output;
    QString description;
    // List, and Refused: what the screen found (Refused: why). List leaves
    // it unset when the file changed while it was read.
    std::optional<Screening> screening;

    // Results. List: the members. Extract: the folder they went into.
    // Create: the ZIP. Preview: the extracted member's path.
    std::vector<ArchiveEntry> entries;
    // List: the members' folders, built as they were read.
    std::shared_ptr<const FolderIndex> folders;
    QString path;
    // A password that worked, for the caller to keep while the archive stays open.
    QString password;
    // List: the archive's row of the format table (ArchiveFormats), which
    // says what else can be done with it.
    const ArchiveFormat *format = nullptr;

    bool succeeded() const { return kind == Kind::Succeeded; }
};
