#include "app/CommandLineMode.h"

#include "app/TerminationSignals.h"
#include "engine/ArchiveEngine.h"
#include "engine/CreationRules.h"
#include "engine/FailureReport.h"
#include "engine/FileNames.h"
#include "engine/JobRunner.h"
#include "engine/OperationJob.h"
#include "platform/Desktop.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

namespace CommandLineMode {

namespace {

enum class Operation { None, ExtractHere, ExtractToFolder, CompressToZip, Compress, AddTo };

Operation operationFor(const QString &option)
{
    const QString lowered = option.toLower();
    if (lowered == QLatin1String("-corvexextracthere"))
        return Operation::ExtractHere;
    if (lowered == QLatin1String("-corvexextractfolder"))
        return Operation::ExtractToFolder;
    if (lowered == QLatin1String("-add2archive"))
        return Operation::CompressToZip;
    if (lowered == QLatin1String("-compress"))
        return Operation::Compress;
    if (lowered == QLatin1String("-addto"))
        return Operation::AddTo;
    return Operation::None;
}

// Quick work stays windowless; past this a window shows it and offers Cancel.
constexpr int kProgressWindowDelayMs = 1000;

// Runs one operation to its end on a worker while this thread keeps
// serving events: the progress window, and the questions it may ask.
Outcome runToEnd(const ArchiveEngine &engine, const OperationRequest &request, Desktop &desktop,
                 const QString &title)
{
    QObject context;
    JobRunner jobs(&context);
    QEventLoop loop;
    std::optional<Outcome> result;
    std::unique_ptr<Desktop::ProgressWindow> window;
    int percent = -1;
    QTimer delay;
    delay.setSingleShot(true);

    JobRunner::Callbacks callbacks;
    callbacks.progress = [&](const OperationProgress &progress) {
        percent = progress.percent;
        if (window)
            window->setProgress(percent);
    };
    // Time spent on a question is not work: no progress window pops up beside it.
    callbacks.question = [&](const Question &question) {
        const bool pending = delay.isActive();
        delay.stop();
        const Answer answer = desktop.answer(question);
        if (pending)
            delay.start(kProgressWindowDelayMs);
        return answer;
    };
    callbacks.finished = [&](Outcome outcome) {
        result = std::move(outcome);
        loop.quit();
    };
    const std::shared_ptr<OperationJob> job = jobs.start(engine, request, std::move(callbacks));
    if (TerminationSignals *termination = TerminationSignals::instance()) {
        QObject::connect(termination, &TerminationSignals::cancelRequested, &context, [job] { job->cancel(); });
        if (termination->received())
            job->cancel();
    }

    QObject::connect(&delay, &QTimer::timeout, [&] {
        window = desktop.showProgress(title, [job] { job->cancel(); });
        window->setProgress(percent);
    });
    delay.start(kProgressWindowDelayMs);
    if (!result)
        loop.exec();
    return std::move(*result);
}

// What the operations of one invocation came to: one reveal of every
// result, one alert for every failure and refusal, and the exit status.
class Results
{
public:
    void add(const OperationRequest &request, const Outcome &outcome)
    {
        if (outcome.succeeded()) {
            if (!m_revealed.contains(outcome.path))
                m_revealed.append(outcome.path);
            // What was done differently from what was asked.
            if (!outcome.description.isEmpty())
                m_notes.append(outcome.description);
            return;
        }
        m_allSucceeded = false;
        if (outcome.kind != Outcome::Kind::Cancelled)
            m_failures.append(FailureReport::from(request, outcome));
    }

    int finish(Desktop &desktop) const
    {
        if (!m_revealed.isEmpty())
            desktop.reveal(m_revealed);
        if (!m_failures.isEmpty())
            desktop.showFailure(FailureReport::combine(m_failures));
        if (!m_notes.isEmpty())
            desktop.showAlert(Desktop::AlertStyle::Informational, m_notes.join(QLatin1Char('\n')), QString());
        return m_allSucceeded ? 0 : 1;
    }

private:
    QStringList m_revealed;
    QStringList m_notes;
    QList<FailureReport> m_failures;
    bool m_allSucceeded = true;
};

// Every archive of the selection in turn; one that fails or is refused
// does not stop the others, a cancel does.
int extract(const QStringList &archives, bool intoOwnFolder, const ArchiveEngine &engine, Desktop &desktop)
{
    Results results;
    for (const QString &archive : archives) {
        OperationRequest request;
        request.kind = OperationKind::Extract;
        request.archive = archive;
        request.destination = FileNames::parentFolder(archive);
        request.ownFolder = intoOwnFolder;
        const Outcome outcome = runToEnd(engine, request, desktop, QFileInfo(archive).fileName());
        results.add(request, outcome);
        if (outcome.kind == Outcome::Kind::Cancelled)
            break;
    }
    return results.finish(desktop);
}

// Beside the first item, never over an existing file.
int compress(const QStringList &items, const ArchiveEngine &engine, Desktop &desktop)
{
    OperationRequest request;
    request.kind = OperationKind::Create;
    request.archive = FileNames::zipDestinationFor(items.first());
    request.inputs = items;
    request.keepExisting = true;
    Results results;
    results.add(request, runToEnd(engine, request, desktop, QFileInfo(request.archive).fileName()));
    return results.finish(desktop);
}

// As the Compress dialog says; cancelling it does nothing, and a failed or
// cancelled archive ends the series.
int compressAsChosen(const QStringList &items, const ArchiveEngine &engine, Desktop &desktop)
{
    const std::optional<NewArchiveChoice> choice = desktop.askNewArchive(items);
    if (!choice)
        return 1;
    Results results;
    for (const OperationRequest &request : CreationRules::requests(items, *choice)) {
        const Outcome outcome = runToEnd(engine, request, desktop, QFileInfo(request.archive).fileName());
        results.add(request, outcome);
        if (!outcome.succeeded())
            break;
    }
    return results.finish(desktop);
}

// The first item is the archive, which must exist; the rest go into it.
int addTo(const QStringList &items, const ArchiveEngine &engine, Desktop &desktop)
{
    OperationRequest request;
    request.kind = OperationKind::Add;
    request.archive = items.first();
    request.inputs = items.mid(1);
    Results results;
    results.add(request, runToEnd(engine, request, desktop, QFileInfo(request.archive).fileName()));
    return results.finish(desktop);
}

} // namespace

std::optional<int> handleCommandLine(const QStringList &arguments, const ArchiveEngine &engine, Desktop &desktop)
{
    if (arguments.size() < 2)
        return std::nullopt;
    const Operation operation = operationFor(arguments.at(1));
    if (operation == Operation::None)
        return std::nullopt;
    // An empty name would stand for the current folder.
    const qsizetype least = operation == Operation::AddTo ? 4 : 3;
    if (arguments.size() < least || arguments.mid(2).contains(QString())) {
        desktop.showError(arguments.size() < least
                              ? QCoreApplication::translate("CommandLineMode", "Corvex was given no items to work on.")
                              : QCoreApplication::translate("CommandLineMode", "Corvex was given an item with an empty name."));
        return 1;
    }

    // Everything after the option is an item, even what looks like an option.
    QStringList items;
    for (qsizetype i = 2; i < arguments.size(); ++i)
        items.append(absoluteItemPath(arguments.at(i)));

    if (operation == Operation::CompressToZip)
        return compress(items, engine, desktop);
    if (operation == Operation::Compress)
        return compressAsChosen(items, engine, desktop);
    if (operation == Operation::AddTo)
        return addTo(items, engine, desktop);
    return extract(items, operation == Operation::ExtractToFolder, engine, desktop);
}

QString absoluteItemPath(const QString &argument)
{
    const QString absolute = QDir::current().absoluteFilePath(argument);
    QStringList kept;
    for (const QString &component : absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (component != QLatin1String("."))
            kept.append(component);
    }
    // Up to its last "..", the path is the folder the system reaches (through links), so that an item is
    // named after what it is: "inner/.." is the folder holding "inner".
    const qsizetype up = kept.lastIndexOf(QStringLiteral(".."));
    const QString reached = up < 0 ? QString()
                                   : QFileInfo(QLatin1Char('/') + kept.mid(0, up + 1).join(QLatin1Char('/'))).canonicalFilePath();
    if (!reached.isEmpty())
        kept = reached.split(QLatin1Char('/'), Qt::SkipEmptyParts) + kept.mid(up + 1);
    return QLatin1Char('/') + kept.join(QLatin1Char('/'));
}

} // namespace CommandLineMode
