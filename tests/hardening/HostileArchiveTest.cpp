// Every hostile archive extracted three ways: Extract Here and Extract to Folder through the command-line mode,
// and through the window as a user would (loaded, then Extract into a folder chosen in the file dialog). Anything
// but an extraction leaves the file system exactly as it was; an extraction writes only inside its destination.
// Then several archives at once, Compress to ZIP beside what exists, and an archive replaced after loading.
#include "app/CommandLineMode.h"
#include "engine/FileNames.h"
#include "engine/OperationJob.h"
#include "engine/ProcessRunner.h"
#include "../RunToEnd.h"
#include "ui/CorvexController.h"
#include "HostileCorpus.h"

#include <QFileInfo>
#include <QThreadPool>

#include <csignal>
#include <future>

namespace {

enum Way { Here, Folder, Window };

std::optional<int> handle(const QString &option, const QStringList &items, FakeDesktop &desktop)
{
    return CommandLineMode::handleCommandLine(QStringList{QStringLiteral("corvex"), option} + items,
                                              ArchiveEngine(QStringLiteral(CORVEX_RESOURCE_DIR)), desktop);
}

// Copies of the archives in a new folder, private as a destination can be; what is no file stays put.
QStringList place(const QString &folder, const QStringList &archives)
{
    QStringList placed;
    hostile::privateFolder(folder);
    for (const QString &archive : archives) {
        placed.append(QFileInfo(archive).isFile() ? folder + QLatin1Char('/') + QFileInfo(archive).fileName() : archive);
        QFile::copy(archive, placed.last());
    }
    return placed;
}

// Extract with `folder` chosen in the file dialog; what the desktop saw. A question answered is followed by
// more: only an outcome other than that is the end.
QString extractInWindow(CorvexController &controller, FakeDesktop &desktop, const QString &folder, const QString &expected)
{
    desktop.queueChosenFiles({folder});
    controller.extractArchive();
    (void)QTest::qWaitFor([&] {
        const QString got = hostile::outcome(desktop);
        return got == expected || !(got.startsWith(QLatin1String("nothing")) || got == QLatin1String("asked"));
    }, 60000);
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    return hostile::outcome(desktop);
}

} // namespace

class HostileArchiveTest : public QObject
{
    Q_OBJECT

    hostile::Corpus m_corpus;
    ArchiveEngine m_engine{QStringLiteral(CORVEX_RESOURCE_DIR)};

private slots:
    void initTestCase() { QVERIFY2(m_corpus.build(), qPrintable(m_corpus.error)); }

    void extract_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("way");
        for (size_t i = 0; i < m_corpus.cases.size(); ++i)
            for (const auto &[way, name] : {std::pair{Here, " here"}, {Folder, " folder"}, {Window, " window"}})
                QTest::newRow(qPrintable(m_corpus.cases[i].name + QLatin1String(name))) << int(i) << int(way);
    }

    void extract()
    {
        QFETCH(int, index);
        QFETCH(int, way);
        const hostile::Case &c = m_corpus.cases[size_t(index)];
        const QString expected = QStringList{c.here, c.folder, c.window}.at(way);
        const QString folder = hostile::privateFolder(
            m_corpus.root.filePath(QStringLiteral("cases/%1/%2").arg(c.name).arg(way)));
        FakeDesktop desktop;
        // The command line gets the archive alone in its own folder, which Extract Here fills.
        const QString archive = way == Window ? c.archive : place(folder, {c.archive}).first();
        std::optional<CorvexController> controller;
        if (way == Window) {
            controller.emplace(m_engine, desktop);
            controller->loadArchive(archive);
            if (expected == QLatin1String("not loaded")) {
                QTRY_COMPARE_WITH_TIMEOUT(desktop.kinds(), QStringList{QStringLiteral("errorReport")}, 30000);
                QVERIFY(controller->archivePath().isEmpty());
                return;
            }
            QTRY_COMPARE_WITH_TIMEOUT(controller->archivePath(), archive, 30000);
        }
        hostile::prepare(c, folder, desktop);
        const QString ownFolder = way == Folder ? FileNames::extractFolderFor(archive) : folder;

        const hostile::Snapshot before = hostile::snapshot(m_corpus.root.path());
        std::optional<int> status;
        QString got;
        if (way == Window)
            got = extractInWindow(*controller, desktop, folder, expected);
        else
            status = handle(way == Folder ? QStringLiteral("-corvexextractfolder") : QStringLiteral("-corvexextracthere"),
                            {archive}, desktop), got = hostile::outcome(desktop);
        const hostile::Snapshot after = hostile::snapshot(m_corpus.root.path());
        QVERIFY2(got == expected, qPrintable(QStringLiteral("%1, expected %2 (%3)").arg(got, expected, c.guard)));
        const bool extracted = got == QLatin1String("extracted");
        QVERIFY(way == Window || status == (extracted ? 0 : 1));

        // Nothing changed but where an extraction went, which the reveal says: Extract to Folder may have taken
        // the next free name. Else the window's staging inside the chosen folder, or a folder made for Extract
        // to Folder that went again, show only in that folder's times.
        const QString destination = extracted ? desktop.calls.last().values.join(QLatin1Char('|'))
            : (way == Window || (way == Folder && !before.count(hostile::bytes(ownFolder))) ? folder : m_corpus.root.path())
                + QStringLiteral("/-");
        QVERIFY2(!extracted || (way == Folder ? destination.startsWith(ownFolder) : destination == folder), qPrintable(destination));
        HOSTILE_CLEAN(m_corpus.problems(before, after, destination, hostile::keptPaths(c, folder, archive)));
        // Where the tool's guard protects, its effect shows: stripped names, literal backslashes, a "C:" folder.
        for (const std::string &path : extracted && way != Folder ? c.inside : std::vector<std::string>())
            QVERIFY2(hostile::typeOf(folder, path) != hostile::fs::file_type::not_found, path.c_str());
        for (const std::string &path : extracted && way != Folder ? c.noLink : std::vector<std::string>())
            QVERIFY2(hostile::typeOf(folder, path) != hostile::fs::file_type::symlink, path.c_str());
    }

    // One refused, one failed, one not an archive among them: the others are extracted all the same, one alert
    // names the three, one reveal shows the rest.
    void severalArchives()
    {
        const QStringList archives = place(m_corpus.root.filePath(QStringLiteral("cases/several")),
                                           {m_corpus.named("zip-two-dots-in-names").archive, m_corpus.named("zip-absolute").archive,
                                            m_corpus.named("zip-duplicates").archive, m_corpus.named("fifo-as-archive").archive,
                                            m_corpus.named("tar-invalid-utf8-safe").archive});
        FakeDesktop desktop;
        const hostile::Snapshot before = hostile::snapshot(m_corpus.root.path());
        QCOMPARE(handle(QStringLiteral("-corvexextractfolder"), archives, desktop), 1);
        const hostile::Snapshot after = hostile::snapshot(m_corpus.root.path());

        QCOMPARE(desktop.kinds(), (QStringList{QStringLiteral("reveal"), QStringLiteral("errorReport")}));
        const QStringList folders{FileNames::extractFolderFor(archives[0]), FileNames::extractFolderFor(archives[4])};
        QCOMPARE(desktop.calls[0].values, folders);
        const QStringList sentences = desktop.calls[1].values.first().split(QLatin1Char('\n'));
        QCOMPARE(sentences.size(), 3);
        QVERIFY2(sentences[0].startsWith(QStringLiteral("“absolute.zip”: Corvex found 1 item(s) that may write outside"))
                     && sentences[1].contains(QLatin1String("duplicates.zip")) && sentences[2].contains(QLatin1String("pipe.zip")),
                 qPrintable(sentences.join(QLatin1Char('|'))));
        // But the two new folders, nothing changed, the archives neither: only their folder's times.
        hostile::Snapshot rest = after;
        std::erase_if(rest, [&](const auto &item) {
            return hostile::isUnder(item.first, hostile::bytes(folders[0])) || hostile::isUnder(item.first, hostile::bytes(folders[1]));
        });
        QVERIFY(QFileInfo(folders[1]).isDir());
        HOSTILE_CLEAN(m_corpus.problems(before, rest, QFileInfo(archives[0]).path() + QStringLiteral("/-")));

        // The only one refused among them: its alert names it all the same.
        FakeDesktop one;
        QCOMPARE(handle(QStringLiteral("-corvexextractfolder"),
                        place(m_corpus.root.filePath(QStringLiteral("cases/several-one")),
                              {m_corpus.named("zip-two-dots-in-names").archive, m_corpus.named("zip-absolute").archive}),
                        one), 1);
        QCOMPARE(one.kinds(), (QStringList{QStringLiteral("reveal"), QStringLiteral("alert")}));
        QVERIFY(one.calls[1].values.last().startsWith(QStringLiteral("“absolute.zip”: ")));

        // A cancel (a conflict left unanswered) ends the series: the next archive stays as it is.
        const QStringList two = place(m_corpus.root.filePath(QStringLiteral("cases/several-cancel")),
                                      {m_corpus.named("file-beside-replaced").archive, archives[0]});
        hostile::make({{"notes.txt", "mine\n"}}, QFileInfo(two[0]).path());
        FakeDesktop cancelled;
        QCOMPARE(handle(QStringLiteral("-corvexextracthere"), two, cancelled), 1);
        QCOMPARE(cancelled.kinds(), QStringList{QStringLiteral("conflict")});
    }

    // Compress to ZIP takes the next free name: what has the name stays as it is, a link and its target too.
    void compressBesideWhatExists()
    {
        const std::string victim = hostile::bytes(m_corpus.root.filePath(QStringLiteral("outside/victim.txt")));
        const std::optional<std::string> existing[] = {"old", "->" + victim, "->nowhere", std::nullopt};
        for (size_t i = 0; i < std::size(existing); ++i) {
            const QString folder = hostile::privateFolder(m_corpus.root.filePath(QStringLiteral("cases/compress/%1").arg(i)));
            hostile::Case c;
            c.setup = {{"notes.txt", "notes"}, {"notes.zip", existing[i]}};
            FakeDesktop desktop;
            hostile::prepare(c, folder, desktop);
            const hostile::Snapshot before = hostile::snapshot(m_corpus.root.path());
            QCOMPARE(handle(QStringLiteral("-add2archive"), {folder + QStringLiteral("/notes.txt")}, desktop), 0);
            const QString zip = folder + QStringLiteral("/notes 2.zip");
            QCOMPARE(desktop.calls.last().values, QStringList{zip});
            QVERIFY(QFileInfo(zip).isFile());
            HOSTILE_CLEAN(m_corpus.problems(before, hostile::snapshot(m_corpus.root.path()), zip));
        }
    }

    // The real program stopped by a signal while its tool works: Cancel, nothing left behind, status 1.
    void signalsCancel_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("signal");
        QTest::newRow("extract, SIGTERM") << "-corvexextracthere" << SIGTERM;
        QTest::newRow("extract to folder, SIGHUP") << "-corvexextractfolder" << SIGHUP;
        QTest::newRow("compress, SIGINT") << "-add2archive" << SIGINT;
    }

    void signalsCancel()
    {
        QFETCH(QString, option);
        QFETCH(int, signal);
        // 256 MiB of zeros, sparse, and its ZIP: long work, little disk.
        static QTemporaryDir zeros;
        QFile sparse(zeros.filePath(QStringLiteral("zeros/zeros.bin")));
        if (!QFileInfo::exists(zeros.filePath(QStringLiteral("zeros.zip")))) {
            QVERIFY(QDir(zeros.path()).mkpath(QStringLiteral("zeros")) && sparse.open(QIODevice::WriteOnly) && sparse.resize(1 << 28));
            QVERIFY(runToEnd(m_engine, OperationKind::Create, zeros.filePath(QStringLiteral("zeros.zip")), {sparse.fileName()}).succeeded());
        }
        const bool compress = option == QLatin1String("-add2archive");
        const QString folder = zeros.filePath(option);
        const QString item = compress ? zeros.filePath(QStringLiteral("zeros")) : place(folder, {zeros.filePath(QStringLiteral("zeros.zip"))}).first();
        const QDir dir(compress ? zeros.path() : folder);
        const QStringList before = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QProcess corvex;
        corvex.start(QStringLiteral(CORVEX_RESOURCE_DIR "/../../bin/corvex"), {option, item});
        // Signalled once its hidden work shows: the staging folder or the temporary ZIP.
        QVERIFY(QTest::qWaitFor([&] {
            return dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size() > before.size();
        }, 60000));
        ::kill(pid_t(corvex.processId()), signal);
        QVERIFY(corvex.waitForFinished(60000));
        QCOMPARE(corvex.exitStatus(), QProcess::NormalExit);
        QCOMPARE(corvex.exitCode(), 1);
        QCOMPARE(dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    }

    // Compress to ZIP stores a link as a link and leaves out what is no file, never opening it: each run ends by
    // itself (the guard only stops one that has not after two minutes).
    void compressLinksAndSpecialFiles()
    {
        using Items = std::vector<std::pair<std::string, std::optional<std::string>>>;
        const struct { const char *name; Items setup; QStringList members; QString note; } rows[] = {
            {"link out", {{"keys", "->../../../outside"}}, {"p", "p/keys"}, {}},
            {"link loop", {{"a", "->."}, {"c", std::nullopt}, {"c/b", "->.."}}, {"p", "p/a", "p/c", "p/c/b"}, {}},
            {"pipe", {{"f", "x"}, {"pipe", "|"}}, {"p", "p/f"}, "1 special file(s) (pipes, sockets or devices) were left out: p/pipe"}};
        for (const auto &row : rows) {
            const QString folder = hostile::privateFolder(m_corpus.root.filePath(QStringLiteral("cases/compress-%1/p").arg(row.name)));
            hostile::make(row.setup, folder);
            OperationRequest request;
            request.kind = OperationKind::Create;
            request.archive = folder + QStringLiteral(".zip");
            request.inputs = {folder};
            OperationJob job;
            auto run = std::async(std::launch::async, [&] { return m_engine.execute(request, job); });
            const bool ended = run.wait_for(std::chrono::minutes(2)) == std::future_status::ready;
            job.cancel();
            const Outcome outcome = run.get();
            QVERIFY2(ended && outcome.succeeded() && outcome.description == row.note, row.name);
            QStringList members;
            for (const ArchiveEntry &entry : runToEnd(m_engine, OperationKind::List, request.archive).entries)
                members.append(entry.path());
            members.sort();
            QCOMPARE(members, row.members);
            const QString listing = QString::fromUtf8(ProcessRunner::run(m_engine.executable(), {QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("--"), request.archive}, ToolPlans::options()).output);
            for (const auto &[name, value] : row.setup) {
                const QString record = listing.section(QStringLiteral("Path = p/%1\n").arg(QString::fromStdString(name)), 1).section(QStringLiteral("\n\n"), 0, 0);
                QVERIFY2(!value || value->rfind("->", 0) != 0 || record.contains(QLatin1String(" lrwx")), name.c_str());
            }
        }
    }

    // Loaded and screened, then replaced by a hostile archive under the same name: the listing the window has
    // is not the file's, so the file is screened again and refused.
    void archiveReplacedAfterLoading()
    {
        const QString folder = hostile::privateFolder(m_corpus.root.filePath(QStringLiteral("cases/window/replaced")));
        const QString archive = folder + QStringLiteral("/../replaced.zip");
        QVERIFY(QFile::copy(m_corpus.named("zip-two-dots-in-names").archive, archive));
        FakeDesktop desktop;
        CorvexController controller(m_engine, desktop);
        controller.loadArchive(archive);
        QTRY_COMPARE_WITH_TIMEOUT(controller.archivePath(), archive, 30000);
        QVERIFY(QFile::copy(m_corpus.named("zip-absolute").archive, archive + QStringLiteral(".new"))
                && std::rename(qPrintable(archive + QStringLiteral(".new")), qPrintable(archive)) == 0);

        const hostile::Snapshot before = hostile::snapshot(m_corpus.root.path());
        QCOMPARE(extractInWindow(controller, desktop, folder, QStringLiteral("refused")), QStringLiteral("refused"));
        HOSTILE_CLEAN(m_corpus.problems(before, hostile::snapshot(m_corpus.root.path()), folder + QStringLiteral("/-")));
    }
};

QTEST_MAIN(HostileArchiveTest)
#include "HostileArchiveTest.moc"
