#include "app/CommandLineMode.h"

#include "engine/ArchiveEngine.h"
#include "engine/ArchiveError.h"
#include "platform/Desktop.h"

#include "engine/FailureReport.h"
#include "engine/JobQueue.h"
#include "engine/OperationJob.h"
#include "ui/DesktopAnswers.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cerrno>
#include <exception>
#include <sys/stat.h>

namespace CommandLineMode {

namespace {

enum class Operation { none, extractHere, extractToFolder, compressToZip };

Operation operationFor(const QString &option)
{
    const QString lowered = option.toLower();
    if (lowered == QLatin1String("-corvexextracthere"))
        return Operation::extractHere;
    if (lowered == QLatin1String("-corvexextractfolder"))
        return Operation::extractToFolder;
    if (lowered == QLatin1String("-add2archive"))
        return Operation::compressToZip;
    return Operation::none;
}

qsizetype lastExtensionDot(const QString &path)
{
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= nameStart)
        return -1;
    // "." and ".." are names, not extensions.
    for (qsizetype i = nameStart; i < dot; ++i) {
        if (path.at(i) != QLatin1Char('.'))
            return dot;
    }
    return -1;
}

// Quick work stays windowless; past this a window shows it and offers Cancel.
constexpr int kProgressWindowDelayMs = 1000;

// Runs one operation to its end on a worker while this thread keeps
// serving events: the progress window, and the questions it may ask.
Outcome runToEnd(const ArchiveEngine &engine, const OperationRequest &request, Desktop &desktop,
                 const QString &title)
{
    QObject context;
    JobQueue jobs(&context);
    QEventLoop loop;
    std::optional<Outcome> result;
    std::unique_ptr<Desktop::ProgressWindow> window;
    int percent = -1;

    JobQueue::Callbacks callbacks;
    callbacks.progress = [&](const OperationProgress &progress) {
        percent = progress.percent;
        if (window)
            window->setProgress(percent);
    };
    callbacks.question = [&](const Question &question) { return answerThroughDesktop(desktop, question); };
    callbacks.finished = [&](Outcome outcome) {
        result = std::move(outcome);
        loop.quit();
    };
    const std::shared_ptr<OperationJob> job = jobs.start(engine, request, std::move(callbacks));

    QTimer delay;
    delay.setSingleShot(true);
    QObject::connect(&delay, &QTimer::timeout, [&] {
        window = desktop.showProgress(title, [job] { job->cancel(); });
        window->setProgress(percent);
    });
    delay.start(kProgressWindowDelayMs);
    if (!result)
        loop.exec();
    return std::move(*result);
}

// Shows what went wrong; a cancel shows nothing.
void report(const OperationRequest &request, const Outcome &outcome, Desktop &desktop)
{
    if (outcome.kind != Outcome::Kind::Failed)
        return;
    const FailureReport report = FailureReport::from(request, outcome);
    desktop.showErrorReport(report.message, report.informativeText, report.details);
}

void extract(const QString &archive, bool intoOwnFolder, const ArchiveEngine &engine, Desktop &desktop)
{
    const QStringList unsafe = engine.unsafePaths(archive);
    if (!unsafe.isEmpty()) {
        desktop.showAlert(Desktop::AlertStyle::Warning,
                          QCoreApplication::translate("CommandLineMode", "Unsafe archive paths detected"),
                          QCoreApplication::translate("CommandLineMode",
                                                      "Corvex found %n item(s) that may write outside the "
                                                      "destination. Extraction was stopped.",
                                                      nullptr, int(unsafe.size())));
        return;
    }
    OperationRequest request;
    request.kind = OperationKind::Extract;
    request.archive = archive;
    request.destination = parentFolder(archive);
    try {
        if (intoOwnFolder) {
            request.destination = extractFolderFor(archive);
            createFolder(request.destination);
        }
    } catch (const std::exception &error) {
        desktop.showError(describeError(error));
        return;
    }
    const Outcome outcome = runToEnd(engine, request, desktop, QFileInfo(archive).fileName());
    if (outcome.succeeded())
        desktop.reveal({request.destination});
    report(request, outcome, desktop);
}

void compress(const QStringList &items, const ArchiveEngine &engine, Desktop &desktop)
{
    OperationRequest request;
    request.kind = OperationKind::Create;
    request.archive = zipDestinationFor(items.first());
    request.inputs = items;
    const Outcome outcome = runToEnd(engine, request, desktop, QFileInfo(request.archive).fileName());
    if (outcome.succeeded())
        desktop.reveal({request.archive});
    report(request, outcome, desktop);
}

} // namespace

bool handleCommandLine(const QStringList &arguments, const ArchiveEngine &engine, Desktop &desktop)
{
    if (arguments.size() < 3)
        return false;
    const Operation operation = operationFor(arguments.at(1));
    if (operation == Operation::none)
        return false;

    // Everything after the option is an item, even what looks like an option.
    QStringList items;
    for (qsizetype i = 2; i < arguments.size(); ++i)
        items.append(absoluteItemPath(arguments.at(i)));

    if (operation == Operation::compressToZip)
        compress(items, engine, desktop);
    else
        extract(items.first(), operation == Operation::extractToFolder, engine, desktop);
    return true;
}

QString absoluteItemPath(const QString &argument)
{
    const QString absolute = QDir::current().absoluteFilePath(argument);
    QStringList kept;
    for (const QString &component : absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (component != QLatin1String("."))
            kept.append(component);
    }
    return QLatin1Char('/') + kept.join(QLatin1Char('/'));
}

QString lastExtension(const QString &path)
{
    const qsizetype dot = lastExtensionDot(path);
    return dot < 0 ? QString() : path.mid(dot + 1);
}

QString withoutLastExtension(const QString &path)
{
    const qsizetype dot = lastExtensionDot(path);
    return dot < 0 ? path : path.left(dot);
}

QString parentFolder(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString extractFolderFor(const QString &archive)
{
    return withoutLastExtension(archive);
}

QString zipDestinationFor(const QString &firstItem)
{
    const QString zipSuffix = QStringLiteral(".zip");
    if (QFileInfo(firstItem).isDir())
        return firstItem + zipSuffix;
    if (lastExtension(firstItem).toLower() == QLatin1String("zip"))
        return firstItem + zipSuffix;
    return withoutLastExtension(firstItem) + zipSuffix;
}

void createFolder(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0777) == 0)
        return;
    int error = errno;
    if (error == ENOENT && parentFolder(path) != path) {
        createFolder(parentFolder(path));
        if (::mkdir(native.constData(), 0777) == 0)
            return;
        error = errno;
    }
    struct stat status;
    if (error == EEXIST && ::stat(native.constData(), &status) == 0 && S_ISDIR(status.st_mode))
        return;
    throw SystemError::fromErrno(
        QCoreApplication::translate("CommandLineMode", "Cannot create the folder “%1”").arg(path), error);
}

} // namespace CommandLineMode
