// The archive read (only a regular file, unchanged since the screen) and where results go (numbered names,
// Extract to Folder's destination, preview folders); new ZIPs beside what exists are in HostileArchiveTest.
#include "engine/ArchiveFile.h"
#include "engine/FileNames.h"
#include "engine/FileOps.h"
#include "engine/PreviewFolder.h"

#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using P = ArchiveFile::Problem;

class FileSafetyTest : public QObject
{
    Q_OBJECT
private slots:
    void numberedName()
    {
        const std::tuple<const char *, bool, const char *> cases[] = {   // path, a folder?, the third of its series
            {"/d/report.zip", false, "/d/report 3.zip"}, {"/d/backup.TAR.gz", false, "/d/backup 3.TAR.gz"},
            {"/d.x/README", false, "/d.x/README 3"}, {"/d/.profile", false, "/d/.profile 3"}, {"/d/v1.2", true, "/d/v1.2 3"}};
        for (const auto &[path, isFolder, third] : cases)
            QCOMPARE(FileNames::numberedName(QByteArray(path), 3, isFolder), QByteArray(third));
        // At the system's limit of 255 bytes a name gives up the end of its stem, whole characters only.
        for (const QByteArray &letter : {QByteArray("x"), QByteArray("\xc3\xa9")})
            QCOMPARE(FileNames::numberedName("/d/" + letter.repeated(251 / letter.size()) + ".txt", 2, false),
                     "/d/" + letter.repeated(249 / letter.size()) + " 2.txt");
    }

    // Reuses only a real folder: never a file or a link, even to a folder; a dangling one is not free either.
    void extractFolder()
    {
        QTemporaryDir dir;
        const fs::path root = dir.path().toStdString();
        const auto made = [&dir] {
            const FileNames::ExtractFolder folder = FileNames::makeExtractFolder(dir.filePath("a.tar"));
            return QDir(dir.path()).relativeFilePath(folder.path) + (folder.created ? " new" : "");
        };
        QVERIFY(made() == "a new" && made() == "a");
        fs::remove(root / "a"), std::ofstream(root / "a") << "x";
        QCOMPARE(made(), "a 2 new");
        fs::remove(root / "a"), fs::create_directory_symlink(root / "a 2", root / "a");
        fs::create_symlink("nowhere", root / "a 3");
        QCOMPARE(made(), "a 4 new");
        QVERIFY(fs::is_empty(root / "a 2"));
    }

    // Deeper than the descriptors a process may hold, with a file at every level.
    void removeDeepTree()
    {
        QTemporaryDir dir;
        const FileOps::Fd root(::open(QFile::encodeName(dir.path()).constData(), FileOps::kOpenFolder));
        for (int i = 0, fd = ::dup(root.get()), next; i < 300; ++i, ::close(fd), fd = next)
            ::mkdirat(fd, "d", 0700), ::close(::openat(fd, "f", O_CREAT | O_WRONLY, 0600)),
                next = i < 299 ? ::openat(fd, "d", FileOps::kOpenFolder) : -1;
        rlimit old, low;
        ::getrlimit(RLIMIT_NOFILE, &old), low = {64, old.rlim_max}, ::setrlimit(RLIMIT_NOFILE, &low);
        const bool removed = FileOps::removeTree(root.get(), "d");
        ::setrlimit(RLIMIT_NOFILE, &old);
        QVERIFY(removed && !fs::exists(dir.filePath("d").toStdString()));
    }

    void previewFolderIsPrivate()
    {
        QTemporaryDir dir;
        const fs::path runtime = dir.filePath("runtime").toStdString();
        fs::create_directories(runtime);
        qputenv("TMPDIR", QFile::encodeName(dir.path())), qputenv("XDG_RUNTIME_DIR", runtime.c_str());
        for (const fs::perms mode : {fs::perms::owner_all, fs::perms::owner_all | fs::perms::others_exec}) {
            fs::permissions(runtime, mode);
            const fs::path folder = PreviewFolder::create().toStdString();
            QCOMPARE(folder.parent_path(), mode == fs::perms::owner_all ? runtime : fs::path(dir.path().toStdString()));
            QCOMPARE(fs::status(folder).permissions(), fs::perms::owner_all);
        }
        // A crash's copies go at the next start; a running process's stay.
        const fs::path gone = PreviewFolder::base().toStdString() + "/CorvexPreview-2147483646-abcdef";
        fs::create_directories(gone / "copy");
        const fs::path live = PreviewFolder::create().toStdString();
        PreviewFolder::removeLeftovers();
        QVERIFY(!fs::exists(gone) && fs::exists(live));
    }

    // Name (in a folder holding a.zip, b.zip and the rest; or absolute), change after opening, problem, unchanged.
    void archiveFile()
    {
        const std::tuple<const char *, const char *, P, bool> rows[] = {
            {"a.zip", "", P::None, true}, {"link.zip", "", P::None, true}, {"a.zip", "swapped", P::None, false},
            {"a.zip", "appended", P::None, false}, {"a.zip", "removed", P::None, false},
            {"fifo.zip", "", P::NotAFile, false}, {"folder.zip", "", P::NotAFile, false},
            {"/dev/null", "", P::NotAFile, false}, {"missing.zip", "", P::System, false}};
        for (const auto &[name, change, problem, unchanged] : rows) {
            QTemporaryDir dir;
            const fs::path root = dir.path().toStdString();
            std::ofstream(root / "a.zip") << "PK", std::ofstream(root / "b.zip") << "PK";
            fs::create_symlink("a.zip", root / "link.zip"), fs::create_directory(root / "folder.zip");
            QVERIFY(::mkfifo((root / "fifo.zip").c_str(), 0600) == 0);
            const ArchiveFile archive(name[0] == '/' ? QString(name) : dir.filePath(name));   // a FIFO without hanging
            QVERIFY2(archive.problem() == problem && archive.isOpen() == (problem == P::None), name);
            const std::string_view how = change;
            if (how == "swapped" || how == "removed")
                how == "swapped" ? fs::rename(root / "b.zip", root / "a.zip") : void(fs::remove(root / "a.zip"));
            else if (how == "appended")
                std::ofstream(root / "a.zip", std::ios::app) << "more";
            QVERIFY2(archive.isUnchanged() == unchanged, change);
        }
    }
};

QTEST_GUILESS_MAIN(FileSafetyTest)
#include "FileSafetyTest.moc"
