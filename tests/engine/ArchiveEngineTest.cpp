#include "../TestSupport.h"

#include <QDateTime>
#include <QRegularExpression>

using namespace test_support;

namespace {

const QString testTool = QStringLiteral(CORVEX_HELPER_DIR "/corvex_test_tool");

QString commandFailedText(const std::function<void()> &call)
{
    try {
        call();
    } catch (const ArchiveError &error) {
        if (error.kind() == ArchiveError::Kind::CommandFailed)
            return error.errorDescription();
    }
    return QStringLiteral("<no commandFailed>");
}

} // namespace

class ArchiveEngineTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::optional<ArchiveEngine> m_engine;
    QString m_tree;   // files for archives: a b/ü.txt, *star.txt, -lead.txt, n1/n2/n3/deep.txt
    QString m_zip;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // Preview folders go to the runtime folder: keep them in ours.
        QDir().mkpath(path("run"));
        QFile::setPermissions(path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path("run")));
        m_engine.emplace(kResources);
        m_tree = path("tree");
        writeFile(m_tree + "/a b/ü.txt", "unicode\n");
        writeFile(m_tree + "/*star.txt", "star\n");
        writeFile(m_tree + "/-lead.txt", "lead\n");
        writeFile(m_tree + "/n1/n2/n3/deep.txt", "deep\n");
        m_zip = path("with space/t*.zip");
        QDir().mkpath(path("with space"));
        m_engine->createZip(m_zip, {m_tree + "/a b", m_tree + "/*star.txt", m_tree + "/-lead.txt", m_tree + "/n1"});
    }

    void creationNeedsAnExecutableTool()
    {
        writeFile(path("noexec/bin/7zz"), "#!/bin/sh\n");
        for (const QString &folder : {QString(), path("nowhere"), path("noexec")}) {
            try {
                ArchiveEngine engine(folder);
                QFAIL("created");
            } catch (const ArchiveError &error) {
                QCOMPARE(error.kind(), ArchiveError::Kind::EngineMissing);
            }
        }
    }

    // Every list: switches, then "--", then only paths; names are literal.
    void argumentLists()
    {
        const auto star = ArchiveEngine::extractArguments("/a.zip", "/st*r/dest", "/list");
        const QList<QStringList> lists{
            ArchiveEngine::listArguments("/a/t*.zip"), ArchiveEngine::testArguments("/-a.zip"),
            ArchiveEngine::createZipArguments("/z.zip", {"/b", "/-a"}, true),
            ArchiveEngine::extractArguments("/a.zip", "/d e").arguments, star.arguments};
        for (const QStringList &arguments : lists) {
            const qsizetype end = arguments.indexOf("--");
            QVERIFY2(end > 0 && arguments.contains("-spd"), qPrintable(arguments.join(' ')));
            for (qsizetype i = 1; i < end; ++i)
                QVERIFY2(arguments[i].startsWith('-'), qPrintable(arguments.join(' ')));
            for (qsizetype i = end + 1; i < arguments.size(); ++i)
                QVERIFY2(arguments[i].startsWith('/'), qPrintable(arguments.join(' ')));
        }
        // A password reaches the tool on standard input only: other users can read arguments and environment.
        const QString secret = QStringLiteral("-pSECRET word");
        const ProcessRunner::Options options = ArchiveEngine::toolOptions(secret);
        QCOMPARE(options.input, secret.toUtf8() + '\n');
        for (const QStringList &strings : lists + QList<QStringList>{options.environment})
            QVERIFY(!strings.join('\n').contains(QLatin1String("SECRET")));
        QVERIFY(!ArchiveEngine::toolOptions().input);
        // The tool would read '*' in "-o" as the archive's name.
        QVERIFY(star.arguments.contains("-o.") && star.arguments.contains("-i@/list"));
        QCOMPARE(star.workingFolder, QStringLiteral("/st*r/dest"));
    }

    void runDecodesInvalidUtf8WithReplacement()
    {
        writeFile(path("fake/bin/7zz"), readFile(testTool));
        QFile::setPermissions(path("fake/bin/7zz"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ArchiveEngine fake(path("fake"));
        QCOMPARE(fake.run({"invalid-utf8", "0"}), QStringLiteral("caf\uFFFD \uFFFD\uFFFD ok\n"));
        QCOMPARE(commandFailedText([&] { fake.run({"stderr", "broken\n", "2"}); }), QStringLiteral("broken\n"));
        QCOMPARE(commandFailedText([&] { fake.run({"exit", "1"}); }), QStringLiteral("The archive operation failed."));
    }

    // Names with spaces, Unicode, '*' and a leading '-', in nested folders;
    // the archive's own name holds '*' while "t1.zip" sits beside it.
    void listIsLiteralAboutNames()
    {
        m_engine->createZip(path("with space/t1.zip"), {m_tree + "/-lead.txt"});
        QCOMPARE(sortedPaths(m_engine->list(m_zip)),
                 QStringList({"*star.txt", "-lead.txt", "a b", "a b/ü.txt", "n1", "n1/n2", "n1/n2/n3",
                              "n1/n2/n3/deep.txt"}));
    }

    // Listed times are local: the user's own time zone reaches the tool.
    void listTimesFollowTheUsersTimeZone()
    {
        const QString file = path("zone/noon.txt");
        writeFile(file, "noon\n");
        QFile stamped(file);
        QVERIFY(stamped.open(QIODevice::ReadWrite)
                && stamped.setFileTime(QDateTime(QDate(2021, 6, 1), QTime(12, 0), Qt::UTC), QFileDevice::FileModificationTime));
        stamped.close();
        const QString archive = path("zone/noon.7z");
        m_engine->run({"a", "-t7z", "-spd", "--", archive, file});
        qputenv("TZ", "JST-9");
        const QString tokyo = m_engine->list(archive).at(0).modified();
        qputenv("TZ", "UTC0");
        const QString utc = m_engine->list(archive).at(0).modified();
        QVERIFY2(tokyo.startsWith("2021-06-01 21:00:00"), qPrintable(tokyo));
        QVERIFY2(utc.startsWith("2021-06-01 12:00:00"), qPrintable(utc));
    }

    void extractLandsExactlyInTheFolderAsked()
    {
        const QString dest = path("out/st*r/dest");
        writeFile(dest + "/-lead.txt", "old contents\n");
        // A name that exists is a question; unanswered, nothing moves.
        QVERIFY_THROWS_EXCEPTION(SystemError, m_engine->extract(m_zip, dest));
        QCOMPARE(tree(dest), QStringList{"-lead.txt"});
        QCOMPARE(readFile(dest + "/-lead.txt"), QByteArray("old contents\n"));
        QVERIFY(QFile::remove(dest + "/-lead.txt"));
        m_engine->extract(m_zip, dest);
        QCOMPARE(readFile(dest + "/a b/ü.txt"), QByteArray("unicode\n"));
        QCOMPARE(readFile(dest + "/n1/n2/n3/deep.txt"), QByteArray("deep\n"));
        QCOMPARE(readFile(dest + "/-lead.txt"), QByteArray("lead\n"));
        QVERIFY(!QFileInfo::exists(path("out/stt*.zipr")));
        QCOMPARE(QDir(path("out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"st*r"});

        const QString fresh = path("out/new*/made");
        m_engine->extract(m_zip, fresh);
        QCOMPARE(readFile(fresh + "/*star.txt"), QByteArray("star\n"));
    }

    void damagedEmptyAndEncryptedArchives()
    {
        m_engine->test(m_zip);

        QByteArray whole = readFile(m_zip);
        writeFile(path("damaged.zip"), whole.left(whole.size() / 2));
        const QString testError = commandFailedText([&] { m_engine->test(path("damaged.zip")); });
        QVERIFY2(testError.contains(QLatin1String("7-Zip")) && testError.contains(QLatin1String("damaged.zip")),
                 qPrintable(testError));

        // Only a regular file reaches the tool.
        QVERIFY_THROWS_EXCEPTION(SystemError, m_engine->list(path("missing.zip")));
        QVERIFY_THROWS_EXCEPTION(SystemError, m_engine->test(m_dir.path()));

        // The smallest ZIP: an end-of-central-directory record alone.
        writeFile(path("empty.zip"), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
        QVERIFY(m_engine->list(path("empty.zip")).empty());

        // Never waits for a password: standard input is empty.
        QVERIFY(makeEncrypted(Encryption::ZipAes, path("enc.zip"), m_tree, {"-lead.txt"}, "SECRET"));
        QVERIFY(commandFailedText([&] { m_engine->test(path("enc.zip")); }).contains(QLatin1String("Break signaled")));
    }

    void previewUnpacksIntoFreshFoldersInsideOnly()
    {
        const ArchiveEntry deep("n1/n2/n3/deep.txt", "5", "5", "", false);
        const QString first = m_engine->preview(deep, m_zip);
        const QString second = m_engine->preview(deep, m_zip);
        QVERIFY(first != second);
        QVERIFY2(QRegularExpression("^" + path("run") + "/CorvexPreview-\\w{6}/n1/n2/n3/deep\\.txt$").match(first).hasMatch(),
                 qPrintable(first));
        QCOMPARE(readFile(second), QByteArray("deep\n"));

        QCOMPARE(readFile(m_engine->preview(ArchiveEntry("-lead.txt", "", "", "", false), m_zip)), QByteArray("lead\n"));
        QCOMPARE(readFile(m_engine->preview(ArchiveEntry("*star.txt", "", "", "", false), m_zip)), QByteArray("star\n"));

        const int before = QDir(path("run")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
        try {
            m_engine->preview(ArchiveEntry("../../etc/x", "", "", "", false), m_zip);
            QFAIL("previewed");
        } catch (const std::exception &error) {
            QVERIFY2(describeError(error).contains(QLatin1String("outside")), error.what());
        }
        // A member the archive lacks: nothing to open, and nothing stays.
        QVERIFY_THROWS_EXCEPTION(SystemError, m_engine->preview(ArchiveEntry("nope.txt", "", "", "", false), m_zip));
        QCOMPARE(QDir(path("run")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), before);
    }
};

QTEST_GUILESS_MAIN(ArchiveEngineTest)
#include "ArchiveEngineTest.moc"
