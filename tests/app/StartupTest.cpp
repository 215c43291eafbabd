// What the program starts with its arguments (the window, or the command-line mode), and the command-line
// mode's rules and runs.
#include "../TestSupport.h"
#include "app/CommandLineMode.h"
#include "app/StartArguments.h"
#include "app/Startup.h"
#include "engine/FileNames.h"
#include "platform/FakeDesktop.h"
#include "ui/CorvexController.h"

#include <QApplication>
#include <QThreadPool>

#include <optional>

using namespace CommandLineMode;
using namespace FileNames;
using namespace test_support;
using StartOutcome = Startup::Outcome;

class StartupTest : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }

private slots:
    void init()
    {
        m_dir.emplace();
        QDir::setCurrent(m_dir->path());
    }

    void start()
    {
        const QString zip = path("archive.zip");
        QVERIFY(writeFile(path("src/member.txt"), "m") && makeZip(zip, path("src"), {"member.txt"}));
        const QString program = QStringLiteral("/usr/bin/corvex");
        const struct { QStringList arguments; StartOutcome outcome; QString loaded; } cases[] = {
            {{program, "-corvexextracthere", zip}, StartOutcome::EngineMissing, ""},
            {{program, "-corvexextracthere"}, StartOutcome::CommandLineFailed, ""},
            {{program, "-add2archive", ""}, StartOutcome::CommandLineFailed, ""},
            {{program, "-CorvexExtractFolder", zip}, StartOutcome::HandledByCommandLine, ""},
            {{program, "-open", zip}, StartOutcome::WindowShown, ""},
            // Open With passes the whole selection: the first file opens.
            {{program, m_dir->path(), "archive.zip", zip}, StartOutcome::WindowShown, zip},
        };
        for (const auto &c : cases) {
            FakeDesktop desktop;
            Startup delegate(desktop, c.outcome != StartOutcome::EngineMissing ? kResources : path("none"), c.arguments);
            QCOMPARE(delegate.start(), c.outcome);
            QVERIFY(!QFileInfo::exists(path("member.txt")));
            if (c.outcome != StartOutcome::WindowShown) {
                // The error or the reveal only; no window was ever made, not even a hidden one.
                QCOMPARE(desktop.kinds(), QStringList{c.outcome == StartOutcome::HandledByCommandLine ? "reveal" : "error"});
                QVERIFY(!delegate.controller() && QApplication::topLevelWidgets().isEmpty());
                QCOMPARE(QFileInfo::exists(path("archive/member.txt")), c.outcome == StartOutcome::HandledByCommandLine);
                continue;
            }
            // Any load the start began has ended and reported before the window is looked at.
            QThreadPool::globalInstance()->waitForDone();
            QCoreApplication::sendPostedEvents();
            QVERIFY(desktop.calls.isEmpty());
            QCOMPARE(delegate.controller()->archivePath(), c.loaded);
        }
    }

    void startArgumentsKeepEveryItemAndFlagNonUtf8()
    {
        const char *const argv[] = {"/opt/caf\xe9/corvex", "-add2archive", "-platform", "caf\xe9.txt", "ü.txt"};
        const StartArguments start(5, argv);
        QCOMPARE(start.arguments().mid(1), (QStringList{"-add2archive", "-platform", "caf\uFFFD.txt", "ü.txt"}));
        QCOMPARE(start.unreadable(), QStringList{"caf\uFFFD.txt"});
    }

    void pathRules()
    {
        const struct { QString item, extension, folder, zipForFile; } cases[] = {
            {"/a/old.ZIP", "ZIP", "/a/old", "/a/old.ZIP.zip"}, {"/a.d/README", "", "/a.d/README", "/a.d/README.zip"},
            {"/a/.profile", "", "/a/.profile", "/a/.profile.zip"}, {"/a/.cache.tar", "tar", "/a/.cache", "/a/.cache.zip"},
            {"/a/name.", "", "/a/name", "/a/name.zip"}};
        for (const auto &c : cases) {
            QCOMPARE(lastExtension(c.item), c.extension);
            QCOMPARE(extractFolderFor(c.item), c.folder);
            QCOMPARE(zipDestinationFor(c.item), c.zipForFile);
        }
    }

    // Several items: the zip is named after the first, beside it, relative paths (a trailing slash, "..") resolved.
    void compressDestinations()
    {
        const QString longName = QString(240, u'n');   // its temporary name fits too
        QVERIFY(writeFile(path("a/Photos/one.jpg"), "1") && writeFile(path("a/notes.txt"), "2") && writeFile(path(longName + ".txt"), "3"));
        const struct { QStringList items; QString zip; QStringList members; } cases[] = {
            {{longName + ".txt"}, longName + ".zip", {longName + ".txt"}},
            {{"a/Photos/.."}, "a.zip", {"a", "a/Photos", "a/Photos/one.jpg", "a/notes.txt"}},
            {{"a/Photos/", "a/notes.txt"}, "a/Photos.zip", {"Photos", "Photos/one.jpg", "notes.txt"}}};
        for (const auto &c : cases) {
            FakeDesktop desktop;
            QCOMPARE(handleCommandLine(QStringList{"corvex", "-add2archive"} + c.items, ArchiveEngine(kResources), desktop), 0);
            QCOMPARE(desktop.kinds(), QStringList{"reveal"});
            QCOMPARE(desktop.calls[0].values, QStringList{path(c.zip)});
            QCOMPARE(memberPaths(path(c.zip)), c.members);
        }
        // -compress asks how first; a cancelled dialog makes nothing.
        FakeDesktop desktop;
        QCOMPARE(handleCommandLine({"corvex", "-compress", "a/notes.txt"}, ArchiveEngine(kResources), desktop), 1);
        desktop.queueNewArchiveAnswer(NewArchiveChoice{path("a"), "n.tar", {NewFormat::Tar, NewLevel::Normal, 0, false}, "", false});
        QCOMPARE(handleCommandLine({"corvex", "-COMPRESS", "a/notes.txt"}, ArchiveEngine(kResources), desktop), 0);
        QCOMPARE(desktop.kinds(), QStringList({"newArchive", "newArchive", "reveal"}));
        QCOMPARE(memberPaths(path("a/n.tar")), QStringList{"notes.txt"});
        // -addto: into an existing archive, or nothing and status 1.
        desktop.clear();
        QCOMPARE(handleCommandLine({"corvex", "-addto", "a/n.tar", "a/Photos"}, ArchiveEngine(kResources), desktop), 0);
        QCOMPARE(memberPaths(path("a/n.tar")), QStringList({"Photos", "Photos/one.jpg", "notes.txt"}));
        QCOMPARE(handleCommandLine({"corvex", "-addto", "a/n.tar"}, ArchiveEngine(kResources), desktop), 1);
        QCOMPARE(handleCommandLine({"corvex", "-addto", "a/none.zip", "a/notes.txt"}, ArchiveEngine(kResources), desktop), 1);
        QCOMPARE(desktop.kinds(), QStringList({"reveal", "error", "errorReport"}));
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
