// Add, delete and rename on every format that can change, through the real tool, with the listing read back;
// the mode, the link and the original's bytes kept; refused names and formats; leftovers of a crash removed.
#include "../TestSupport.h"
#include "engine/ArchiveChange.h"
#include "engine/OperationJob.h"

#include <QCryptographicHash>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace test_support;
namespace fs = std::filesystem;

class ChangeArchiveTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    // Password questions take these in turn; the last one is then asked.
    QStringList m_answers;
    int m_asked = 0;

    // photos.EXT holding a.txt, d/e/f.txt and the folders.
    QString original(const QString &extension)
    {
        const QString archive = m_dir.filePath("work/photos." + extension);
        QFile::remove(archive);
        const QString src = m_dir.filePath("src");
        // A compressed tar: the tar, then its stream.
        const QString stream = extension.startsWith("tar.") ? extension.mid(4) : QString();
        const QString tar = m_dir.filePath("photos.tar");
        QFile::remove(tar);
        bool made = runTool({"a", "-spd", "--", stream.isEmpty() ? archive : tar, "a.txt", "d"}, src);
        if (stream == "zst")
            made = made && runTool({"-q", "-o", archive, tar}, src, "zstd");
        else if (!stream.isEmpty())
            made = made && runTool({"a", "-t" + QString(stream == "gz" ? "gzip" : stream == "bz2" ? "bzip2" : "xz"), "--", archive, tar});
        return made ? archive : QString();
    }

    Outcome run(OperationKind kind, const QString &archive, const QStringList &members, const QString &newName = {},
                const QStringList &inputs = {}, const QString &base = {}, ConflictChoice choice = ConflictChoice::Replace,
                bool cancel = false)
    {
        OperationRequest request;
        request.kind = kind;
        request.archive = archive;
        request.members = members;
        request.newName = newName;
        request.inputs = inputs;
        request.base = base;
        OperationJob job;
        job.setQuestionSink([&](const Question &question) {
            Answer answer;
            answer.choice = choice;
            if (question.kind == Question::Kind::Password) {
                ++m_asked;
                answer.cancelled = m_answers.isEmpty();
                answer.password = m_answers.isEmpty() ? QString() : m_answers.takeFirst();
            }
            job.answer(answer);
        });
        if (cancel)
            job.setProgressSink([&job](const OperationProgress &progress) {
                if (progress.percent >= 0)
                    job.cancel();
            });
        return ArchiveEngine(kResources).execute(request, job);
    }

    static QStringList listing(const QString &archive)
    {
        QStringList paths;
        for (const ArchiveEntry &entry : runToEnd(ArchiveEngine(kResources), OperationKind::List, archive).entries)
            paths.append(entry.path());
        paths.sort();
        return paths;
    }

    QStringList folderNames() const
    {
        return QDir(m_dir.filePath("work")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(writeFile(m_dir.filePath("src/a.txt"), "a") && writeFile(m_dir.filePath("src/d/e/f.txt"), "f"));
        QVERIFY(writeFile(m_dir.filePath("new/a.txt"), "new a") && writeFile(m_dir.filePath("new/g/h.txt"), "h"));
        QVERIFY(QDir().mkpath(m_dir.filePath("new/g/empty")));
        fs::create_symlink("/etc/hostname", m_dir.filePath("new/g/outside").toStdString());
        QVERIFY(::mkfifo(QFile::encodeName(m_dir.filePath("new/g/fifo")).constData(), 0600) == 0);
    }

    void change_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("members");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QStringList>("after");
        const QStringList all{"a.txt", "d", "d/e", "d/e/f.txt"};
        const QStringList g{"g", "g/empty", "g/h.txt", "g/outside"};
        const int del = int(OperationKind::Delete), ren = int(OperationKind::Rename), add = int(OperationKind::Add);
        const int replace = int(ConflictChoice::Replace), both = int(ConflictChoice::KeepBoth), skip = int(ConflictChoice::Skip);
        for (const char *ext : {"zip", "7z", "tar"}) {
            QTest::addRow("%s delete file", ext) << ext << del << QStringList{"a.txt"} << "" << replace << QStringList{"d", "d/e", "d/e/f.txt"};
            QTest::addRow("%s delete folder", ext) << ext << del << QStringList{"d/e", "a.txt"} << "" << replace << QStringList{"d"};
            QTest::addRow("%s rename file", ext) << ext << ren << QStringList{"d/e/f.txt"} << "g h.txt" << replace
                                                 << QStringList{"a.txt", "d", "d/e", "d/e/g h.txt"};
            QTest::addRow("%s rename folder", ext) << ext << ren << QStringList{"d"} << "x" << replace
                                                   << QStringList{"a.txt", "x", "x/e", "x/e/f.txt"};
            QTest::addRow("%s add top", ext) << ext << add << QStringList{"g"} << "" << replace << QStringList(all + g);
            QStringList inside{"a.txt", "d", "d/e", "d/e/f.txt", "d/e/g", "d/e/g/empty", "d/e/g/h.txt", "d/e/g/outside"};
            QTest::addRow("%s add into folder", ext) << ext << add << QStringList{"g"} << "d/e" << replace << inside;
            QTest::addRow("%s replace", ext) << ext << add << QStringList{"a.txt"} << "" << replace << all;
            QTest::addRow("%s keep both", ext) << ext << add << QStringList{"a.txt"} << "" << both
                                               << QStringList{"a 2.txt", "a.txt", "d", "d/e", "d/e/f.txt"};
            QTest::addRow("%s skip", ext) << ext << add << QStringList{"a.txt", "g"} << "" << skip << QStringList(all + g);
            if (ext == QByteArray("7z")) {
                for (const char *tarball : {"tar.gz", "tar.bz2", "tar.xz", "tar.zst"}) {
                    QTest::addRow("%s delete file", tarball) << tarball << del << QStringList{"a.txt"} << "" << replace
                                                             << QStringList{"d", "d/e", "d/e/f.txt"};
                    QTest::addRow("%s add into folder", tarball) << tarball << add << QStringList{"g"} << "d/e" << replace << inside;
                }
            }
            QTest::addRow("%s into folder beside top name", ext)
                << ext << add << QStringList{"a.txt"} << "d" << replace << QStringList{"a.txt", "d", "d/a.txt", "d/e", "d/e/f.txt"};
        }
    }

    void change()
    {
        QFETCH(QString, extension);
        QFETCH(int, kind);
        QFETCH(QStringList, members);
        QFETCH(QString, argument);
        QFETCH(int, choice);
        QFETCH(QStringList, after);
        const QString archive = original(extension);
        QVERIFY(!archive.isEmpty());
        QVERIFY(::chmod(QFile::encodeName(archive).constData(), 0640) == 0);
        // Someone else's archive, changed by root, stays theirs.
        const bool root = ::geteuid() == 0;
        QVERIFY(!root || ::chown(QFile::encodeName(archive).constData(), 4242, 4343) == 0);
        // Reached through a link, which stays one.
        const QString link = m_dir.filePath("work/link." + extension);
        QFile::remove(link);
        QVERIFY(QFile::link(archive, link));
        const bool adding = kind == int(OperationKind::Add);
        QStringList inputs;
        for (const QString &name : members)
            inputs.append(m_dir.filePath("new/" + name));
        const Outcome outcome = run(OperationKind(kind), link, adding ? QStringList() : members, adding ? QString() : argument,
                                    adding ? inputs : QStringList(), adding ? argument : QString(), ConflictChoice(choice));
        QVERIFY2(outcome.succeeded(), qPrintable(outcome.description + outcome.output));
        QCOMPARE(listing(archive), after);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(fs::status(archive.toStdString()).permissions(), fs::perms(0640));
        struct stat placed = {};
        QVERIFY(::stat(QFile::encodeName(archive).constData(), &placed) == 0);
        if (root)
            QCOMPARE(std::pair(placed.st_uid, placed.st_gid), std::pair(uid_t(4242), gid_t(4343)));
        QCOMPARE(folderNames().filter(QRegularExpression("^\\.")), QStringList());
        if (adding && members.contains("g"))
            QVERIFY(outcome.description.contains("fifo"));
        if (adding && choice == int(ConflictChoice::Replace) && members == QStringList{"a.txt"} && argument.isEmpty()) {
            QVERIFY(runToEnd(ArchiveEngine(kResources), OperationKind::Extract, archive, {}, m_dir.filePath("out-" + extension)).succeeded());
            QCOMPARE(readFile(m_dir.filePath("out-" + extension + "/a.txt")), "new a");
        }
    }

    // Changes keep the encryption, with a password asked when none is known and asked again when wrong.
    void encrypted_data()
    {
        QTest::addColumn<QString>("made");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("asked");
        const int add = int(OperationKind::Add), del = int(OperationKind::Delete);
        QTest::newRow("AES ZIP, add, asked") << "zip:-mem=AES256" << add << QStringList{"pw"} << 1;
        QTest::newRow("AES ZIP, add, wrong first") << "zip:-mem=AES256" << add << QStringList{"nope", "pw"} << 2;
        QTest::newRow("AES ZIP, delete, no password needed") << "zip:-mem=AES256" << del << QStringList() << 0;
        QTest::newRow("7z hidden names, delete") << "7z:-mhe=on" << del << QStringList{"pw"} << 1;
        QTest::newRow("7z hidden names, add") << "7z:-mhe=on" << add << QStringList{"pw"} << 1;
    }

    void encrypted()
    {
        QFETCH(QString, made);
        QFETCH(int, kind);
        QFETCH(QStringList, answers);
        QFETCH(int, asked);
        const QString archive = m_dir.filePath("work/secret." + made.section(':', 0, 0));
        QFile::remove(archive);
        QVERIFY(runTool({"a", "-ppw", made.section(':', 1), "-spd", "--", archive, "a.txt", "d"}, m_dir.filePath("src")));
        m_answers = answers;
        m_asked = 0;
        const bool adding = kind == int(OperationKind::Add);
        const Outcome outcome = run(OperationKind(kind), archive, adding ? QStringList() : QStringList{"a.txt"}, {},
                                    adding ? QStringList{m_dir.filePath("new/g/h.txt")} : QStringList());
        QVERIFY2(outcome.succeeded(), qPrintable(outcome.description + outcome.output));
        QCOMPARE(m_asked, asked);
        QProcess tool;
        tool.start(kTool, {"l", "-slt", "-ppw", "--", archive});
        QVERIFY(tool.waitForFinished());
        const QString listed = tool.readAll();
        QCOMPARE(listed.contains("Path = a.txt"), adding);
        QCOMPARE(listed.contains("Path = h.txt"), adding);
        // Every file member is encrypted, the new one in the archive's method; hidden names stay hidden.
        QCOMPARE(listed.count("Encrypted = -"), 2);
        if (made.startsWith("zip"))
            QCOMPARE(listed.count("AES-256"), adding ? 3 : 1);
        else
            QVERIFY(!runTool({"l", "--", archive}));
    }

    // Nothing changes: the original stays byte for byte, and no file is left beside it.
    void unchanged_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("sentence");
        QTest::addRow("empty name") << "zip" << int(OperationKind::Rename) << "" << false << "cannot be empty";
        QTest::addRow("slash") << "7z" << int(OperationKind::Rename) << "x/y" << false << "cannot contain “/”";
        QTest::addRow("dot") << "tar" << int(OperationKind::Rename) << "." << false << "cannot be used";
        QTest::addRow("dot dot") << "zip" << int(OperationKind::Rename) << ".." << false << "cannot be used";
        QTest::addRow("existing") << "zip" << int(OperationKind::Rename) << "d" << false << "“d” already exists";
        QTest::addRow("read-only format") << "deb" << int(OperationKind::Delete) << "" << false << "can't change an ar archive";
        QTest::addRow("gzip without a tar") << "gz" << int(OperationKind::Delete) << "" << false << "change a gzip file only when it holds a tar";
        QTest::addRow("cancelled") << "7z" << int(OperationKind::Add) << "" << true << "";
        QTest::addRow("missing member") << "zip" << int(OperationKind::Delete) << "" << false << "“nothing” is not in";
    }

    void unchanged()
    {
        QFETCH(QString, extension);
        QFETCH(int, kind);
        QFETCH(QString, newName);
        QFETCH(bool, cancel);
        QFETCH(QString, sentence);
        QDir(m_dir.filePath("work")).removeRecursively();
        QString archive = m_dir.filePath("work/photos." + extension);
        if (extension == "gz")
            QVERIFY(runTool({"a", "-tgzip", "-spd", "--", archive, "a.txt"}, m_dir.filePath("src")));
        else if (extension == "deb")
            QVERIFY(QDir().mkpath(m_dir.filePath("work")) && runTool({"rc", archive, "a.txt"}, m_dir.filePath("src"), "ar"));
        else
            archive = original(extension);
        if (cancel)
            QVERIFY(writeFile(m_dir.filePath("big.bin"), QByteArray(64 << 20, 'x') + QCryptographicHash::hash("x", QCryptographicHash::Sha256)));
        // What a crash left: removed by the next change of this archive only.
        const QByteArray tag = QCryptographicHash::hash(QFileInfo(archive).fileName().toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
        const QString stale = m_dir.filePath("work/.corvex-" + tag + "-old");
        QVERIFY(writeFile(stale, "partial"));
        const QByteArray before = readFile(archive);
        const Outcome outcome = run(OperationKind(kind), archive, {kind == int(OperationKind::Rename) ? "a.txt" : "nothing"},
                                    newName, {m_dir.filePath("big.bin")}, {}, ConflictChoice::Replace, cancel);
        QVERIFY(!outcome.succeeded());
        QVERIFY2(outcome.description.contains(sentence), qPrintable(outcome.description));
        QCOMPARE(readFile(archive), before);
        const QStringList left = QDir(m_dir.filePath("work")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        // A change that got as far as writing removes what a crash left.
        const QStringList expected = cancel ? QStringList{"photos." + extension}
                                            : QStringList{QFileInfo(stale).fileName(), "photos." + extension};
        QCOMPARE(left, expected);
    }
};

QTEST_GUILESS_MAIN(ChangeArchiveTest)
#include "ChangeArchiveTest.moc"
