// corvex-reader on RAR 4 and RAR 5 samples, volume sets, lzip and lz4
// tarballs: the tree it extracts is the one bsdtar extracts, its listing
// is what the listing parser reads, and damaged, hostile or encrypted input
// fails with a line that says why and writes nothing outside its folder.
// Then the same formats through the window and the command line.
#include "../ui/UiTestSupport.h"

#include "app/CommandLineMode.h"
#include "engine/ListingParser.h"

#include <QCryptographicHash>
#include <filesystem>

using namespace ui_test;

namespace {

const QString kReader = QStringLiteral(CORVEX_RESOURCE_DIR "/bin/corvex-reader");
const QString kSamples = QStringLiteral(CORVEX_TEST_DATA "/rar");

struct Run {
    int status = -1;
    QByteArray output;
};

Run runReader(const QStringList &arguments, const QString &folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(kReader, arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAll()};
}

// Each item below `folder`: its path, and its content's hash, its link's
// target or "folder".
QStringList described(const QString &folder)
{
    QStringList items;
    for (const QString &path : tree(folder)) {
        const QFileInfo info(folder + QLatin1Char('/') + path);
        const QString what =
            info.isSymLink() ? "-> " + QString::fromStdString(std::filesystem::read_symlink(info.filePath().toStdString()))
            : info.isDir()   ? QStringLiteral("folder")
                             : QCryptographicHash::hash(readFile(info.filePath()), QCryptographicHash::Md5).toHex();
        items.append(path + ' ' + what);
    }
    return items;
}

} // namespace

class ReaderTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_tarballs;
    std::unique_ptr<ArchiveEngine> m_engine;

private slots:
    void initTestCase()
    {
        QVERIFY(QFileInfo(kReader).isExecutable());
        m_engine = std::make_unique<ArchiveEngine>(kResources);
        // The samples where the window and the command line may write beside
        // them, and a volume set without its last volume.
        for (const QString &name : QDir(kSamples).entryList(QDir::Files))
            QVERIFY(writeFile(m_dir.filePath("rar/" + name), readFile(kSamples + '/' + name)));
        for (const char *part : {"set5.part1.rar", "set5.part2.rar"})
            QVERIFY(writeFile(m_dir.filePath(QString("cut/") + part), readFile(kSamples + '/' + part)));
        // A tree with what a tarball can hold: nested folders, a link, a
        // hard link, awkward names.
        m_tarballs = m_dir.filePath(QStringLiteral("tarballs"));
        const QString src = m_dir.filePath(QStringLiteral("src"));
        QVERIFY(writeFile(src + QStringLiteral("/top/a b/ünïcode.txt"), "unicode\n"));
        QVERIFY(writeFile(src + QStringLiteral("/top/deep/er/file.bin"), QByteArray(70000, 'x')));
        QVERIFY(QFile::link(QStringLiteral("deep/er/file.bin"), src + QStringLiteral("/top/link")));
        QVERIFY(runTool({"-c", "ln -f top/deep/er/file.bin top/hard && mkdir -p top/empty"}, src, "sh"));
        QVERIFY(QDir().mkpath(m_tarballs));
        for (const char *filter : {"--lzip", "--lz4"}) {
            const QString name = m_tarballs + (qstrcmp(filter, "--lzip") ? "/t.tar.lz4" : "/t.tar.lz");
            QVERIFY(runTool({filter, "-cf", name, "-C", src, "top"}, src, "bsdtar"));
        }
        QVERIFY(writeFile(src + QStringLiteral("/notes.txt"), "only compressed\n"));
        QVERIFY(runTool({"--lz4", "--format", "raw", "-cf", m_tarballs + "/notes.txt.lz4", "notes.txt"}, src, "bsdtar"));
    }

    // What it extracts is what bsdtar extracts from the reference archive,
    // less the members a volume set does not hold.
    void extractsAsBsdtar_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QStringList>("members");
        const QStringList all;
        const QStringList inSets{"docs", "docs/readme.txt", "numbers.bin"};
        QTest::newRow("rar4") << kSamples + "/plain4.rar" << kSamples + "/plain4.rar" << all;
        QTest::newRow("rar5") << kSamples + "/plain5.rar" << kSamples + "/plain5.rar" << all;
        QTest::newRow("rar5 set, first part") << kSamples + "/set5.part1.rar" << kSamples + "/plain5.rar" << inSets;
        QTest::newRow("rar5 set, middle part") << kSamples + "/set5.part2.rar" << kSamples + "/plain5.rar" << inSets;
        QTest::newRow("rar4 set, first part") << kSamples + "/set4.rar" << kSamples + "/plain4.rar" << inSets;
        QTest::newRow("rar4 set, last part") << kSamples + "/set4.r01" << kSamples + "/plain4.rar" << inSets;
        QTest::newRow("tar.lz") << "tarballs/t.tar.lz" << "tarballs/t.tar.lz" << all;
        QTest::newRow("tar.lz4") << "tarballs/t.tar.lz4" << "tarballs/t.tar.lz4" << all;
        QTest::newRow("lz4 of one file") << "tarballs/notes.txt.lz4" << "" << all;
    }
    void extractsAsBsdtar()
    {
        QFETCH(QString, archive);
        QFETCH(QString, reference);
        QFETCH(QStringList, members);
        archive = QDir(m_dir.path()).absoluteFilePath(archive);
        QTemporaryDir ours, theirs;
        const Run run = runReader({"x", "--", archive}, ours.path());
        QVERIFY2(run.status == 0, run.output);
        QVERIFY2(runReader({"t", archive}, ours.path()).status == 0, "test");
        if (reference.isEmpty()) {
            QCOMPARE(tree(ours.path()), QStringList{"notes.txt"});
            QCOMPARE(readFile(ours.filePath("notes.txt")), "only compressed\n");
            return;
        }
        QVERIFY(runTool({"-xf", QDir(m_dir.path()).absoluteFilePath(reference)}, theirs.path(), "bsdtar"));
        QStringList expected = described(theirs.path());
        if (!members.isEmpty())
            expected = expected.filter(QRegularExpression("^(" + members.join('|').replace('.', "\\.") + ") "));
        QCOMPARE(described(ours.path()), expected);
    }

    // The listing in the record shape the parser reads.
    void lists_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QStringList>("expected");
        const QStringList plain{"docs +", "docs/empty.txt 0", "docs/link ", "docs/readme.txt 60", "numbers.bin 3072"};
        QTest::newRow("rar4") << "plain4.rar" << QStringList{"docs +", "docs/empty.txt 0", "docs/link 0",
                                                             "docs/readme.txt 60", "numbers.bin 3072"};
        QTest::newRow("rar5") << "plain5.rar" << plain;
        QTest::newRow("rar5 set from its last part") << "set5.part3.rar"
                                                     << QStringList{"docs/readme.txt 60", "numbers.bin 3072"};
    }
    void lists()
    {
        QFETCH(QString, archive);
        QFETCH(QStringList, expected);
        const Run run = runReader({"l", kSamples + "/" + archive}, m_dir.path());
        QCOMPARE(run.status, 0);
        QStringList found;
        for (const ArchiveEntry &entry : ListingParser::parse(run.output))
            found.append(entry.path() + ' ' + (entry.isFolder() ? "+" : entry.size()));
        found.sort();
        QCOMPARE(found, expected);
    }

    // Failures: the status, the line that says why, and what was written.
    void fails_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("archive");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::addColumn<QStringList>("written");
        const QStringList none;
        QTest::newRow("truncated rar4") << "t" << "truncated4.rar" << 2 << "Unexpected end of archive" << none;
        // The member cut short is not left behind as if whole.
        QTest::newRow("truncated rar5") << "x" << "truncated5.rar" << 2 << "ERROR: numbers.bin : "
                                        << QStringList{"docs", "docs/empty.txt", "docs/readme.txt"};
        QTest::newRow("last volume missing") << "t" << "set5.part1.rar-" << 2 << "Missing volume : " << none;
        QTest::newRow("last volume missing, listed") << "l" << "set5.part1.rar-" << 2 << "Missing volume : " << none;
        QTest::newRow("middle volume missing") << "l" << "set5.part3.rar-" << 2 << "Missing volume : " << none;
        for (const char *rar : {"encrypted4.rar", "encrypted5.rar"})
            QTest::newRow(rar) << "x" << rar << 2 << "ERROR: secret.txt : Cannot decrypt"
                               << QStringList{"docs", "docs/readme.txt"};
        for (const char *rar : {"names4.rar", "names5.rar", "encrypted4.rar", "encrypted5.rar"})
            QTest::newRow(rar) << "l" << rar << 2 << "Cannot decrypt" << none;
        QTest::newRow("not an archive") << "l" << "make_samples.py" << 2 << "Cannot open the file as archive" << none;
        // Outside the folder by "..", by a leading "/" (kept inside), or
        // through a link written just before.
        for (const char *rar : {"hostile4.rar", "hostile5.rar"})
            QTest::newRow(rar) << "x" << rar << 2 << "ERROR: ../escaped.txt : Dangerous path"
                               << QStringList{"absolute.txt", "kept.txt", "way"};
        QTest::newRow("member not there") << "x@nothing" << "plain5.rar" << 0 << "No files to process" << none;
        QTest::newRow("wrong command line") << "q" << "plain5.rar" << 7 << "Command Line Error" << none;
    }
    void fails()
    {
        QFETCH(QString, command);
        QFETCH(QString, archive);
        QFETCH(int, status);
        QFETCH(QString, says);
        QFETCH(QStringList, written);
        // A name ending in '-' is a volume set copied without the part named
        // in the row's "says".
        QTemporaryDir folder;
        QString path = kSamples + '/' + archive;
        if (archive.endsWith('-')) {
            archive.chop(1);
            for (const char *part : {"set5.part1.rar", "set5.part2.rar", "set5.part3.rar"})
                QFile::copy(kSamples + '/' + part, folder.filePath(part));
            QFile::remove(folder.filePath(archive.endsWith("1.rar") ? "set5.part3.rar" : "set5.part2.rar"));
            path = folder.filePath(archive);
        }
        QStringList arguments{command.section('@', 0, 0)};
        if (command.contains('@')) {
            QVERIFY(writeFile(folder.filePath("list"), command.section('@', 1).toUtf8() + '\n'));
            arguments.append("-i@" + folder.filePath("list"));
        }
        QTemporaryDir out;
        const Run run = runReader(arguments + QStringList{"--", path}, out.path());
        QVERIFY2(run.output.contains(says.toUtf8()), run.output);
        QCOMPARE(run.status, status);
        QCOMPARE(tree(out.path()), written);
        QVERIFY(!QFileInfo::exists("/tmp/planted.txt"));
    }

    // Loaded, tested and extracted in the window, extracted by Extract to
    // Folder; or failed in both with the sentence.
    void throughTheWindow_data()
    {
        QTest::addColumn<QString>("archive");
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QString>("reference");
        QTest::newRow("rar5") << "rar/plain5.rar" << "5 items" << "rar/plain5.rar";
        QTest::newRow("rar4 set from a middle volume") << "rar/set4.r00" << "2 items" << "rar/plain4.rar";
        QTest::newRow("tar.lz4") << "tarballs/t.tar.lz4" << "9 items" << "tarballs/t.tar.lz4";
        QTest::newRow("encrypted") << "rar/encrypted5.rar" << ""
                                   << "“encrypted5.rar” is encrypted. Corvex can't open encrypted RAR archives.";
        QTest::newRow("last volume missing") << "cut/set5.part1.rar" << ""
                                             << "A volume of “set5.part1.rar” is missing: “set5.part3.rar”.";
        QTest::newRow("truncated") << "rar/truncated5.rar" << "" << "“truncated5.rar” is damaged or incomplete.";
    }
    void throughTheWindow()
    {
        QFETCH(QString, archive);
        QFETCH(QString, loaded);
        QFETCH(QString, reference);
        archive = m_dir.filePath(archive);
        const QString out = m_dir.filePath("out/" + QString(QTest::currentDataTag()));
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        c.loadArchive(archive);
        const auto made = [&](const QString &folder) {
            QTemporaryDir theirs;
            QStringList expected;
            if (runTool({"-xf", m_dir.filePath(reference)}, theirs.path(), "bsdtar"))
                expected = described(theirs.path());
            if (archive.contains("set4"))
                expected = expected.filter(QRegularExpression("^(docs|docs/readme.txt|numbers.bin) "));
            return described(folder) == expected ? QString() : described(folder).join('\n');
        };
        if (loaded.isEmpty()) {
            QTRY_COMPARE_WITH_TIMEOUT(desktop.count("errorReport"), 1, 30000);
            QCOMPARE(desktop.calls.last().values.first(), reference);
        } else {
            UI_WAIT_FOR_STATUS(c, loaded);
            click(c, "testButton");
            UI_WAIT_FOR_STATUS(c, QStringLiteral("Archive test passed"));
            desktop.queueChosenFiles({out});
            click(c, "extractButton");
            UI_WAIT_FOR_STATUS(c, QStringLiteral("Extracted to ") + out);
            QCOMPARE(made(out), QString());
        }
        QCOMPARE(desktop.count("password"), 0);

        // Extract to Folder: "plain5.rar" into "plain5/" beside it.
        FakeDesktop cli;
        const int status = CommandLineMode::handleCommandLine({"corvex", "-corvexextractfolder", archive}, *m_engine, cli)
                               .value_or(-1);
        QCOMPARE(status, loaded.isEmpty() ? 1 : 0);
        if (loaded.isEmpty())
            QCOMPARE(cli.calls.last().values.first(), reference);
        else
            QCOMPARE(made(archive.section('.', 0, -2).remove(".tar")), QString());
    }
};

QTEST_MAIN(ReaderTest)
#include "ReaderTest.moc"
