#include "engine/FailureReport.h"

#include "engine/PasswordSignals.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

enum class Problem {
    NotArchive,
    Damaged,
    CannotWrite,
    Missing,
    Unreadable,
    UnsafeLink,
    WrongPassword,
    PasswordNeeded,
    EncryptedRar,
    MissingVolume,
    OutOfMemory,
    Stopped,
    Folder,
    NotRegular,
    Changed,
    Unknown,
};

// %1 the file's name, %2 the system's reason, %3 what was being done. A
// second text, when there is one, is for creating a ZIP.
struct Sentence {
    Problem problem;
    const char *text;
    const char *whenCreating = nullptr;
};

const Sentence sentences[] = {
    {Problem::NotArchive,
     QT_TRANSLATE_NOOP("FailureReport", "“%1” is not an archive, or is in a format Corvex cannot read.")},
    {Problem::Damaged, QT_TRANSLATE_NOOP("FailureReport", "“%1” is damaged or incomplete.")},
    {Problem::CannotWrite, QT_TRANSLATE_NOOP("FailureReport", "Corvex could not write the items of “%1”: %2."),
     QT_TRANSLATE_NOOP("FailureReport", "Corvex could not write “%1”: %2.")},
    {Problem::Missing, QT_TRANSLATE_NOOP("FailureReport", "“%1” cannot be found."),
     QT_TRANSLATE_NOOP("FailureReport", "An item to be put in “%1” cannot be found.")},
    {Problem::Unreadable, QT_TRANSLATE_NOOP("FailureReport", "“%1” cannot be read: %2."),
     QT_TRANSLATE_NOOP("FailureReport", "An item to be put in “%1” cannot be read: %2.")},
    {Problem::UnsafeLink,
     QT_TRANSLATE_NOOP("FailureReport", "“%1” holds a link that leads outside the destination; nothing was extracted.")},
    {Problem::WrongPassword, QT_TRANSLATE_NOOP("FailureReport", "The password for “%1” is wrong.")},
    {Problem::PasswordNeeded,
     QT_TRANSLATE_NOOP("FailureReport", "“%1” is encrypted: Corvex cannot %3 it without its password.")},
    {Problem::EncryptedRar,
     QT_TRANSLATE_NOOP("FailureReport", "“%1” is encrypted. Corvex can't open encrypted RAR archives.")},
    {Problem::MissingVolume, QT_TRANSLATE_NOOP("FailureReport", "A volume of “%1” is missing: “%2”.")},
    {Problem::OutOfMemory, QT_TRANSLATE_NOOP("FailureReport", "There is not enough memory to %3 “%1”.")},
    {Problem::Stopped,
     QT_TRANSLATE_NOOP("FailureReport", "Corvex's archive tool was stopped before it could %3 “%1”.")},
    {Problem::Folder, QT_TRANSLATE_NOOP("FailureReport", "“%1” is a folder, not an archive.")},
    {Problem::NotRegular,
     QT_TRANSLATE_NOOP("FailureReport", "“%1” is not a regular file, so Corvex cannot open it as an archive.")},
    {Problem::Changed, QT_TRANSLATE_NOOP("FailureReport", "“%1” changed while it was being extracted.")},
    {Problem::Unknown, QT_TRANSLATE_NOOP("FailureReport", "Corvex could not %3 “%1”.")},
};

// The tool's own statuses for running out of memory, and for being ended by
// a signal (128 + signal; 255 for an interrupt it caught).
struct StatusRule {
    int lowest;
    int highest;
    Problem problem;
};

const StatusRule statusRules[] = {
    {8, 8, Problem::OutOfMemory},
    {129, 255, Problem::Stopped},
};

// A pattern is matched against each error block (its first line and the
// lines under it); the first capture, if any, is the system's reason. The
// first rule that matches a block decides, so the more telling come first;
// of the blocks it matches, the first does, since later errors tend to follow
// from it (a folder not made, then each file in it not opened).
struct LineRule {
    const char *pattern;
    Problem problem;
};

const LineRule lineRules[] = {
    {"Can't allocate required memory", Problem::OutOfMemory},
    {PasswordSignals::kWrongPassword, Problem::WrongPassword},
    // corvex-reader's: libarchive decrypts no RAR, and a volume set names
    // the volume it lacks.
    {"Cannot decrypt: encrypted members are not supported", Problem::EncryptedRar},
    {"Missing volume : (?:[^\\n]*/)?([^/\\n]+)", Problem::MissingVolume},
    {"Dangerous link .*was ignored", Problem::UnsafeLink},
    {"Cannot (?:open output file|create folder|create output directory|create symbolic link|create hard link)"
     " : errno=\\d+ : ([^:\\n]+)",
     Problem::CannotWrite},
    // A new archive that cannot be opened for writing.
    {"^cannot open file\\n.*\\nerrno=\\d+ : ([^:\\n]+)", Problem::CannotWrite},
    // No space left, read-only file system, name too long, file too large, quota.
    {"errno=(?:28|30|36|27|122) : ([^:\\n]+)", Problem::CannotWrite},
    {"errno=2 : ", Problem::Missing},
    {"errno=\\d+ : ([^:\\n]+)", Problem::Unreadable},
    // "as [7z] archive": the tool knows the type, yet cannot open it.
    {"Cannot open the file as \\[|CRC Failed|Data Error|Unexpected end of (?:archive|data)|Headers Error"
     "|Unavailable data|Can't open volume",
     Problem::Damaged},
    {"Cannot open the file as archive|Is not archive|Unsupported (?:[Mm]ethod|archive type|feature)",
     Problem::NotArchive},
};

// What each OperationKind does, in the enum's order: the %3 of the
// sentences above, an infinitive after "could not".
struct Verb {
    const char *text;
    const char *comment;
};
const Verb verbs[] = {
    QT_TRANSLATE_NOOP3("FailureReport", "open", "what Corvex could not do to the archive %1"),
    QT_TRANSLATE_NOOP3("FailureReport", "extract", "what Corvex could not do to the archive %1"),
    QT_TRANSLATE_NOOP3("FailureReport", "test", "what Corvex could not do to the archive %1"),
    QT_TRANSLATE_NOOP3("FailureReport", "create", "what Corvex could not do to the archive %1"),
    QT_TRANSLATE_NOOP3("FailureReport", "preview an item of", "what Corvex could not do to the archive %1"),
    QT_TRANSLATE_NOOP3("FailureReport", "add to", "what Corvex could not do to the archive %1"),
    QT_TRANSLATE_NOOP3("FailureReport", "delete from", "what Corvex could not do to the archive %1"),
    QT_TRANSLATE_NOOP3("FailureReport", "rename in", "what Corvex could not do to the archive %1"),
};
static_assert(std::size(verbs) == size_t(OperationKind::Rename) + 1);

// "ERROR: …", "ERRORS:", "Open ERROR: …", "System ERROR:", "Error:",
// "Scan WARNINGS for files and folders:", but not the closing counts
// such as "Sub items Errors: 1" or "Scan WARNINGS: 1".
const QRegularExpression &blockStart()
{
    static const QRegularExpression re(
        QStringLiteral(R"(^(?:[A-Z][A-Za-z]* )*(?:ERRORS?|WARNINGS?|Error|Warning)\b[^:]*:(?!\s*\d+\s*$))"));
    return re;
}

bool endsBlock(const QString &line)
{
    static const QRegularExpression count(QStringLiteral(R"(^[A-Za-z' ]+:\s*\d+$)"));
    static const QRegularExpression rule(QStringLiteral("^-+$"));
    return line.trimmed().isEmpty() || line.contains(QLatin1String(" = ")) || rule.match(line).hasMatch()
        || count.match(line).hasMatch() || blockStart().match(line).hasMatch();
}

// Each error or warning with the lines under it (the names it mentions),
// in order, each once.
QStringList errorBlocks(const QStringList &lines)
{
    QStringList blocks;
    QSet<QString> seen;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // The system's reason sometimes stands apart, after an empty line.
        if (!blockStart().match(lines.at(i)).hasMatch() && !lines.at(i).startsWith(QLatin1String("errno=")))
            continue;
        QStringList block{lines.at(i)};
        qsizetype next = i + 1;
        // A list under a bare heading starts after an empty line.
        while (next < lines.size() && lines.at(i).endsWith(QLatin1Char(':')) && lines.at(next).trimmed().isEmpty())
            ++next;
        for (; next < lines.size() && !endsBlock(lines.at(next)); ++next)
            block.append(lines.at(next));
        i = next - 1;
        const QString text = block.join(QLatin1Char('\n'));
        if (!seen.contains(text)) {
            seen.insert(text);
            blocks.append(text);
        }
    }
    return blocks;
}

// The banner, the scanning lines and the closing counts.
bool isChatter(const QString &line)
{
    static const QRegularExpression chatter(QStringLiteral(
        R"(^(?:\s*$|7-Zip |\s*\d+-bit locale=|Scanning the drive|\d+ (?:files?|folders?)\b|Everything is Ok$|[A-Za-z' ]+:\s*\d+$))"));
    return chatter.match(line).hasMatch();
}

struct Diagnosis {
    Problem problem = Problem::Unknown;
    QString reason;
};

Diagnosis diagnose(int status, const QStringList &blocks)
{
    for (const StatusRule &rule : statusRules) {
        if (status >= rule.lowest && status <= rule.highest)
            return {rule.problem, QString()};
    }
    static const std::vector<QRegularExpression> patterns = [] {
        std::vector<QRegularExpression> compiled;
        for (const LineRule &rule : lineRules)
            compiled.emplace_back(QString::fromLatin1(rule.pattern), QRegularExpression::MultilineOption);
        return compiled;
    }();
    for (size_t i = 0; i < patterns.size(); ++i) {
        for (const QString &block : blocks) {
            const QRegularExpressionMatch match = patterns[i].match(block);
            if (match.hasMatch())
                return {lineRules[i].problem, match.captured(1).trimmed()};
        }
    }
    return {};
}

Problem problemOf(const OperationRequest &request, const Outcome &outcome, const QStringList &blocks,
                  QString &reason)
{
    switch (outcome.failure) {
    case Outcome::Failure::WrongPassword:
        return Problem::WrongPassword;
    case Outcome::Failure::PasswordNeeded:
        return Problem::PasswordNeeded;
    case Outcome::Failure::NotAFile:
        return QFileInfo(request.archive).isDir() ? Problem::Folder : Problem::NotRegular;
    case Outcome::Failure::Changed:
        return Problem::Changed;
    case Outcome::Failure::Damaged:
        return Problem::Damaged;
    default: {
        const Diagnosis diagnosis = diagnose(outcome.status, blocks);
        reason = diagnosis.reason;
        return diagnosis.problem;
    }
    }
}

QString sentence(Problem problem, const OperationRequest &request, const QString &reason)
{
    const Sentence *found = std::find_if(std::begin(sentences), std::end(sentences),
                                         [problem](const Sentence &s) { return s.problem == problem; });
    const char *source = request.kind == OperationKind::Create && found->whenCreating ? found->whenCreating
                                                                                    : found->text;
    const QString text = QCoreApplication::translate("FailureReport", source);
    const Verb &verb = verbs[size_t(request.kind)];
    const QString name = QFileInfo(request.archive).fileName();
    const QString values[] = {name.isEmpty() ? request.archive : name, reason,
                              QCoreApplication::translate("FailureReport", verb.text, verb.comment)};
    // One pass, so that a "%2" in a file's name stays as it is.
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1] >= u'1' && text[i + 1] <= u'3')
            result += values[text[++i].unicode() - u'1'];
        else
            result += text[i];
    }
    return result;
}

// One line as a terminal shows it once the tool has moved back over it with
// backspaces; the spaces it erased with are dropped at the end.
QString rendered(QStringView raw)
{
    QString line;
    qsizetype cursor = 0;
    for (const QChar c : raw) {
        if (c == u'\b' || c == u'\r') {
            cursor = c == u'\r' ? 0 : qMax<qsizetype>(0, cursor - 1);
        } else if (cursor < line.size()) {
            line[cursor++] = c;
        } else {
            line.append(c);
            ++cursor;
        }
    }
    while (line.endsWith(QLatin1Char(' ')))
        line.chop(1);
    return line;
}

QStringList readableLines(const QString &output)
{
    static const QRegularExpression progress(QStringLiteral(R"(^ *\d+(?:%|M Scan))"));
    QStringList lines;
    for (qsizetype start = 0; start < output.size();) {
        qsizetype end = output.indexOf(u'\n', start);
        const bool ended = end >= 0;
        end = ended ? end : output.size();
        const QStringView raw = QStringView(output).mid(start, end - start);
        start = end + 1;
        const bool erased = raw.contains(u'\b') || raw.contains(u'\r');
        const QString line = erased ? rendered(raw) : raw.toString();
        // A line that was only progress is gone; so is a progress text the
        // tool was killed in the middle of.
        if ((erased && line.isEmpty()) || (!ended && progress.match(line).hasMatch()))
            continue;
        lines.append(line);
    }
    while (!lines.isEmpty() && lines.first().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

FailureReport refusal(const OperationRequest &request, const Screening &screening)
{
    FailureReport report;
    report.archive = request.archive;
    report.refused = true;
    report.message = QCoreApplication::translate("FailureReport", "Unsafe archive paths detected");
    const int outside = int(screening.unsafePaths.size());
    const int deleting = int(screening.antiItems.size());
    if (deleting == 0)
        report.informativeText = QCoreApplication::translate(
            "FailureReport", "Corvex found %n item(s) that may write outside the destination. Extraction was stopped.",
            nullptr, outside);
    else if (outside == 0)
        report.informativeText = QCoreApplication::translate(
            "FailureReport", "Corvex found %n item(s) that would delete files in the destination. Extraction was stopped.",
            nullptr, deleting);
    else
        report.informativeText = QCoreApplication::translate("FailureReport",
                                                             "Corvex found %n item(s) that may write outside the "
                                                             "destination and %1 that would delete files in it. "
                                                             "Extraction was stopped.",
                                                             nullptr, outside)
                                     .arg(deleting);
    // Named, as several archives may be extracted at once and only this one refused.
    report.informativeText = QStringLiteral("“%1”: %2").arg(QFileInfo(request.archive).fileName(), report.informativeText);
    report.details = (screening.unsafePaths + screening.antiItems).join(QLatin1Char('\n'));
    return report;
}

} // namespace

FailureReport FailureReport::from(const OperationRequest &request, const Outcome &outcome)
{
    if (outcome.kind == Outcome::Kind::Refused && outcome.screening)
        return refusal(request, *outcome.screening);
    FailureReport report;
    report.archive = request.archive;
    const QStringList lines = readableLines(outcome.output);
    report.details = lines.join(QLatin1Char('\n'));
    const QStringList blocks = errorBlocks(lines);
    report.informativeText = blocks.join(QLatin1Char('\n'));

    if (outcome.failure == Outcome::Failure::System && !outcome.description.isEmpty()) {
        report.message = outcome.description;
        return report;
    }
    QString reason;
    const Problem problem = problemOf(request, outcome, blocks, reason);
    report.message = sentence(problem, request, reason);
    // Output the table does not know: whatever the tool said beyond its chatter.
    if (problem == Problem::Unknown && blocks.isEmpty()) {
        QStringList said;
        std::copy_if(lines.begin(), lines.end(), std::back_inserter(said),
                     [](const QString &line) { return !isChatter(line); });
        report.informativeText = said.join(QLatin1Char('\n'));
    }
    return report;
}

FailureReport FailureReport::combine(const QList<FailureReport> &reports)
{
    if (reports.size() == 1)
        return reports.first();
    QStringList messages, informative, details;
    for (const FailureReport &report : reports) {
        messages.append(report.refused ? report.informativeText : report.message);
        if (!report.informativeText.isEmpty() && !report.refused)
            informative.append(QFileInfo(report.archive).fileName() + QStringLiteral(":\n") + report.informativeText);
        if (!report.details.isEmpty())
            details.append(report.archive + QStringLiteral(":\n") + report.details);
    }
    FailureReport all;
    all.message = messages.join(QLatin1Char('\n'));
    all.informativeText = informative.join(QStringLiteral("\n\n"));
    all.details = details.join(QStringLiteral("\n\n"));
    return all;
}
