// Engine-level measurements. Each call does one measurement and prints
// "key=value" lines; bench/run repeats them and takes medians.
//
//   corvex_bench tool  <archive>             7zz l -slt alone, output drained
//   corvex_bench list  <archive>             ArchiveEngine::list
//   corvex_bench parse <listing> [repeats]   ListingParser on recorded text
//   corvex_bench folder-index <listing> [repeats]
//                                            the folder index of its entries
//   corvex_bench rss   <archive>             peak memory of a process that lists
//   corvex_bench time  <program> [args…]     wall time of any program, output drained
//   corvex_bench extract-members <archive> <folder> <member>…
//                                            ArchiveEngine::execute extracting those
//                                            members, as Extract Selected does
//   corvex_bench startup <program>           process start to the moment the
//                                            program prints "painted=<clock>"
//   corvex_bench progress on|off <archive> <folder>
//                                            extraction with progress read, or
//                                            the same run without it
//   corvex_bench create <extension> <archive> <item>
//                                            ArchiveEngine::execute making a new
//                                            archive as the Compress dialog does
//                                            (level Fast), from start to placed
//   corvex_bench update <archive> <item>     ArchiveEngine::execute adding the item
//                                            to the archive, as -addto does
//   corvex_bench cancel list|extract|create <archive> <path> <ms>
//                                            an operation cancelled after <ms>:
//                                            cancel until it has returned
#include "engine/ArchiveEngine.h"
#include "tests/RunToEnd.h"
#include "engine/CreationRules.h"
#include "BenchSupport.h"
#include "engine/FolderIndex.h"
#include "engine/ListingParser.h"
#include "engine/OperationJob.h"
#include "engine/ProcessRunner.h"
#include "engine/ProgressParser.h"

#include <QDir>
#include <QFileInfo>
#include <thread>

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

using namespace BenchSupport;

namespace {

// Fingerprint of every entry's texts and flags, in order: a faster parser
// must give the same one.
quint64 digest(const std::vector<ArchiveEntry> &entries)
{
    quint64 hash = 1469598103934665603ull;
    auto add = [&hash](QByteArrayView bytes) {
        for (char c : bytes)
            hash = (hash ^ quint8(c)) * 1099511628211ull;
        hash = (hash ^ 0xFFu) * 1099511628211ull;
    };
    for (const ArchiveEntry &e : entries) {
        add(e.pathUtf8());
        add(e.sizeUtf8());
        add(e.packedUtf8());
        add(e.modifiedUtf8());
        const char flags[] = {e.isFolder() ? 'F' : '-', e.isAnti() ? 'A' : '-', e.isEncrypted() ? 'E' : '-'};
        add(QByteArrayView(flags, 3));
    }
    return hash;
}

int failed(const Outcome &outcome)
{
    std::fprintf(stderr, "%s%s\n", qPrintable(outcome.description), qPrintable(outcome.output));
    return 1;
}

int usage()
{
    std::fprintf(stderr, "usage: corvex_bench tool|list|rss <archive> | parse <listing> [repeats] | "
                         "time|startup <program> [args] | extract-members <archive> <folder> <member>...\n");
    return 2;
}

ArchiveEngine engine()
{
    return ArchiveEngine(QStringLiteral(CORVEX_RESOURCE_DIR));
}

int tool(const QString &archive)
{
    const double cpuStart = cpuSeconds();
    const ToolRun run = drain(engine().executable(),
                              engine().plans().list(ArchiveFormats::other(), archive).stages.front().arguments);
    std::printf("seconds=%.4f\ncpu_seconds=%.4f\nbytes=%lld\nstatus=%d\n", run.seconds, cpuSeconds() - cpuStart,
                qlonglong(run.bytes), run.status);
    return run.status;
}

int list(const QString &archive)
{
    const ArchiveEngine e = engine();
    const double start = now();
    const double cpuStart = cpuSeconds();
    const Outcome listed = runToEnd(e, OperationKind::List, archive);
    const double seconds = now() - start;
    const double cpu = cpuSeconds() - cpuStart;
    if (!listed.succeeded())
        return failed(listed);
    const std::vector<ArchiveEntry> &entries = listed.entries;
    std::printf("seconds=%.4f\ncpu_seconds=%.4f\nentries=%zu\ndigest=%016llx\n", seconds, cpu, entries.size(),
                qulonglong(digest(entries)));
    return 0;
}

int rss(const QString &archive)
{
    const Outcome listed = runToEnd(engine(), OperationKind::List, archive);
    if (!listed.succeeded())
        return failed(listed);
    const std::vector<ArchiveEntry> &entries = listed.entries;
    std::printf("peak_rss=%lld\nentries=%zu\n", qlonglong(peakRss()), entries.size());
    return 0;
}

// Fed in 1 MiB chunks, as the tool's pipe delivers it.
int parse(const QString &listing, int repeats)
{
    const QByteArray text = readFile(listing);
    constexpr qsizetype chunk = 1 << 20;
    std::vector<double> rates;
    size_t count = 0;
    quint64 fingerprint = 0;
    for (int i = 0; i < repeats; ++i) {
        const double start = now();
        ListingParser parser;
        for (qsizetype at = 0; at < text.size(); at += chunk)
            parser.feed(QByteArrayView(text.constData() + at, std::min(chunk, text.size() - at)));
        std::vector<ArchiveEntry> entries = parser.finish();
        const double seconds = now() - start;
        count = entries.size();
        if (i == 0)
            fingerprint = digest(entries);
        rates.push_back(double(text.size()) / 1e6 / seconds);
        std::printf("run_mb_per_s=%.1f\n", rates.back());
    }
    std::sort(rates.begin(), rates.end());
    std::printf("mb_per_s=%.1f\nentries=%zu\nbytes=%lld\ndigest=%016llx\n", rates[rates.size() / 2], count,
                qlonglong(text.size()), qulonglong(fingerprint));
    return 0;
}

// Every entry added as the listing gives it, then the children sorted;
// only the second part comes after the listing's end.
int folderIndex(const QString &listing, int repeats)
{
    const std::vector<ArchiveEntry> entries = ListingParser::parse(readFile(listing));
    std::vector<double> totals, finishes;
    size_t folders = 0;
    for (int i = 0; i < repeats; ++i) {
        const double start = now();
        FolderIndex::Builder builder;
        for (const ArchiveEntry &entry : entries)
            builder.add(entry);
        const double added = now();
        const FolderIndex index = builder.finish(entries);
        totals.push_back((now() - start) * 1000);
        finishes.push_back((now() - added) * 1000);
        folders = index.folderCount();
    }
    std::sort(totals.begin(), totals.end());
    std::sort(finishes.begin(), finishes.end());
    std::printf("folder_index_ms=%.1f\nfinish_ms=%.1f\nfolders=%zu\nentries=%zu\n", totals[totals.size() / 2],
                finishes[finishes.size() / 2], folders, entries.size());
    return 0;
}

int time(const QStringList &command)
{
    const ToolRun run = drain(command.first(), command.mid(1));
    std::printf("seconds=%.4f\nstatus=%d\n", run.seconds, run.status);
    return run.status;
}

int extractMembers(const QStringList &arguments)
{
    const ArchiveEngine e = engine();
    OperationRequest request;
    request.kind = OperationKind::Extract;
    request.archive = arguments.value(0);
    request.destination = arguments.value(1);
    request.members = arguments.mid(2);
    OperationJob job;
    const double start = now();
    const Outcome outcome = e.execute(request, job);
    std::printf("seconds=%.4f\nstatus=%d\n", now() - start, outcome.succeeded() ? 0 : 1);
    return outcome.succeeded() ? 0 : failed(outcome);
}

// The painted program reads the same monotonic clock, so the two subtract.
int startup(const QStringList &command)
{
    QByteArray output;
    const double start = now();
    const ToolRun run = drain(command.first(), command.mid(1), &output);
    for (const QByteArray &line : output.split('\n')) {
        if (line.startsWith("painted=")) {
            std::printf("seconds=%.4f\n", line.mid(8).toDouble() - start);
            return 0;
        }
    }
    std::fprintf(stderr, "%s never painted (status %d): %s\n", qPrintable(command.first()), run.status,
                 output.constData());
    return 1;
}

// The window's way of running the tool, with and without progress: the
// only difference is -bsp1 and reading what it prints.
int progress(bool on, const QString &archive, const QString &folder)
{
    const ArchiveEngine e = engine();
    // The tool runs inside the folder, as the engine runs it.
    QDir().mkpath(folder);
    const ToolCommand extraction = e.plans().extract(ArchiveFormats::other(), archive, folder).stages.front();
    QStringList arguments = extraction.arguments;
    if (!on)
        arguments.removeAll(QStringLiteral("-bsp1"));
    OperationJob job;
    int reports = 0;
    job.setProgressSink([&reports](const OperationProgress &) { ++reports; });
    ProgressParser parser;
    ProcessRunner::Options options;
    options.keepLimit = 4 << 20;
    options.workingFolder = extraction.workingFolder;
    options.cancelFd = job.cancelFd();
    if (on) {
        options.onOutput = [&parser, &job](int, QByteArrayView chunk) {
            if (auto latest = parser.feed(chunk))
                job.report(*latest);
        };
    }
    const double start = now();
    const ProcessRunner::Result result = ProcessRunner::run(e.executable(), arguments, options);
    std::printf("seconds=%.4f\nreports=%d\nstatus=%d\n", now() - start, reports, result.status);
    return result.status;
}

int cancel(const QString &kind, const QString &archive, const QString &path, int delayMs)
{
    OperationRequest request;
    request.archive = archive;
    if (kind == QLatin1String("extract")) {
        request.kind = OperationKind::Extract;
        request.destination = path;
    } else if (kind == QLatin1String("create")) {
        request.kind = OperationKind::Create;
        request.archive = path;
        request.inputs = {archive};
    }
    const ArchiveEngine e = engine();
    OperationJob job;
    Outcome outcome;
    std::thread worker([&] { outcome = e.execute(request, job); });
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    const double start = now();
    job.cancel();
    worker.join();
    const double seconds = now() - start;
    // What a cancel must leave: no ZIP, and no extracted file.
    const bool clean = kind == QLatin1String("create")
        ? QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden).isEmpty()
        : kind == QLatin1String("list") || QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    std::printf("cancel_ms=%.1f\ncancelled=%d\nclean=%d\n", seconds * 1000,
                int(outcome.kind == Outcome::Kind::Cancelled), int(clean));
    return outcome.kind == Outcome::Kind::Cancelled ? 0 : 1;
}

int create(const QString &extension, const QString &archive, const QString &item)
{
    OperationRequest request;
    request.kind = OperationKind::Create;
    request.archive = archive;
    request.inputs = {item};
    request.creation = NewArchiveOptions{CreationRules::formatOfName(QStringLiteral("x.") + extension).value(),
                                         NewLevel::Fast, 0, false};
    OperationJob job;
    const double start = now();
    const Outcome outcome = engine().execute(request, job);
    std::printf("seconds=%.4f\nstatus=%d\n", now() - start, int(outcome.kind));
    return outcome.succeeded() ? 0 : 1;
}

// The item added to an existing archive as -addto and the window do it.
int update(const QString &archive, const QString &item)
{
    OperationRequest request;
    request.kind = OperationKind::Add;
    request.archive = archive;
    request.inputs = {item};
    OperationJob job;
    const double start = now();
    const Outcome outcome = engine().execute(request, job);
    std::printf("seconds=%.4f\nstatus=%d\n", now() - start, int(outcome.kind));
    if (!outcome.succeeded())
        std::fprintf(stderr, "%s\n", qPrintable(outcome.description));
    return outcome.succeeded() ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3)
        return usage();
    const QString command = args[1];
    const QString path = args[2];
    try {
        if (command == QLatin1String("tool"))
            return tool(path);
        if (command == QLatin1String("list"))
            return list(path);
        if (command == QLatin1String("rss"))
            return rss(path);
        if (command == QLatin1String("time"))
            return time(args.mid(2));
        if (command == QLatin1String("extract-members") && args.size() > 4)
            return extractMembers(args.mid(2));
        if (command == QLatin1String("startup"))
            return startup(args.mid(2));
        if (command == QLatin1String("progress") && args.size() == 5)
            return progress(path == QLatin1String("on"), args[3], args[4]);
        if (command == QLatin1String("cancel") && args.size() == 6)
            return cancel(path, args[3], args[4], args[5].toInt());
        if (command == QLatin1String("create") && args.size() == 5)
            return create(path, args[3], args[4]);
        if (command == QLatin1String("update") && args.size() == 4)
            return update(path, args[3]);
        if (command == QLatin1String("parse"))
            return parse(path, args.size() > 3 ? std::max(1, args[3].toInt()) : 5);
        if (command == QLatin1String("folder-index"))
            return folderIndex(path, args.size() > 3 ? std::max(1, args[3].toInt()) : 5);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return usage();
}
