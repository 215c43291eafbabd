#include "../TestSupport.h"

#include <QRegularExpression>

using namespace test_support;

class ArchiveEngineTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::optional<ArchiveEngine> m_engine;
    QString m_tree;   // a b/ü.txt, *star.txt, -lead.txt, n1/n2/n3/deep.txt
    QString m_zip;    // its name holds '*', with "t1.zip" beside it

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        // Preview folders go to the runtime folder: keep them in ours.
        QDir().mkpath(path("run"));
        QFile::setPermissions(path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path("run")));
        m_engine.emplace(kResources);
        m_tree = path("tree");
        for (const auto &[name, text] : {std::pair{"a b/ü.txt", "unicode\n"}, {"*star.txt", "star\n"},
                                         {"-lead.txt", "lead\n"}, {"n1/n2/n3/deep.txt", "deep\n"}})
            QVERIFY(writeFile(m_tree + "/" + QString::fromUtf8(name), text));
        m_zip = path("with space/t*.zip");
        QDir().mkpath(path("with space"));
        m_engine->createZip(m_zip, {m_tree + "/a b", m_tree + "/*star.txt", m_tree + "/-lead.txt", m_tree + "/n1"});
        m_engine->createZip(path("with space/t1.zip"), {m_tree + "/-lead.txt"});
    }

    // The tool runs with TZ naming /etc/localtime only when the user set none.
    void listTimesFollowTheUsersTimeZone()
    {
        const QString file = path("zone/noon.txt");
        QVERIFY(writeFile(file, "noon\n"));
        QFile stamped(file);
        QVERIFY(stamped.open(QIODevice::ReadWrite)
                && stamped.setFileTime(QDateTime(QDate(2021, 6, 1), QTime(12, 0), Qt::UTC), QFileDevice::FileModificationTime));
        stamped.close();
        const QString archive = path("zone/noon.7z");
        m_engine->run({"a", "-t7z", "-spd", "--", archive, file});
        qputenv("TZ", "JST-9");
        const QString tokyo = m_engine->list(archive).at(0).modified();
        qunsetenv("TZ");
        QVERIFY2(tokyo.startsWith("2021-06-01 21:00:00"), qPrintable(tokyo));
    }

    // A password reaches the tool on standard input only: other users can read arguments and environment.
    void passwordOnlyOnStandardInput()
    {
        const QString secret = QStringLiteral("-pSECRET word");
        const ProcessRunner::Options options = ArchiveEngine::toolOptions(secret);
        QCOMPARE(options.input, secret.toUtf8() + '\n');
        QVERIFY(!options.environment.join('\n').contains(QLatin1String("SECRET")));
        QVERIFY(!ArchiveEngine::toolOptions().input);
    }

    void listAndExtractAreLiteralAboutNames()
    {
        QCOMPARE(sortedPaths(m_engine->list(m_zip)),
                 QStringList({"*star.txt", "-lead.txt", "a b", "a b/ü.txt", "n1", "n1/n2", "n1/n2/n3",
                              "n1/n2/n3/deep.txt"}));
        const QString dest = path("out/st*r/dest");
        writeFile(dest + "/-lead.txt", "old contents\n");
        // A name that exists is a question; unanswered, nothing moves.
        QVERIFY_THROWS_EXCEPTION(SystemError, m_engine->extract(m_zip, dest));
        QCOMPARE(tree(dest), QStringList{"-lead.txt"});
        QCOMPARE(readFile(dest + "/-lead.txt"), QByteArray("old contents\n"));
        QVERIFY(QFile::remove(dest + "/-lead.txt"));
        m_engine->extract(m_zip, dest);
        for (const auto &[name, text] : {std::pair{"a b/ü.txt", "unicode\n"}, {"n1/n2/n3/deep.txt", "deep\n"},
                                         {"-lead.txt", "lead\n"}, {"*star.txt", "star\n"}})
            QCOMPARE(readFile(dest + "/" + QString::fromUtf8(name)), QByteArray(text));
        QCOMPARE(QDir(path("out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"st*r"});
    }

    // Never waits for a password: standard input is empty.
    void encryptedTestDoesNotWait()
    {
        QVERIFY(makeEncrypted(Encryption::ZipAes, path("enc.zip"), m_tree, {"-lead.txt"}, "SECRET"));
        QVERIFY_THROWS_EXCEPTION(ArchiveError, m_engine->test(path("enc.zip")));
    }

    void previewUnpacksIntoFreshFoldersInsideOnly()
    {
        const ArchiveEntry deep("n1/n2/n3/deep.txt", "5", "5", "", false);
        const QString first = m_engine->preview(deep, m_zip);
        QVERIFY(first != m_engine->preview(deep, m_zip));
        QVERIFY2(QRegularExpression("^" + path("run") + "/CorvexPreview-\\w{6}/n1/n2/n3/deep\\.txt$").match(first).hasMatch(),
                 qPrintable(first));
        QCOMPARE(readFile(m_engine->preview(ArchiveEntry("-lead.txt", "", "", "", false), m_zip)), QByteArray("lead\n"));

        const int before = QDir(path("run")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
        QVERIFY_THROWS_EXCEPTION(std::exception, m_engine->preview(ArchiveEntry("../../etc/x", "", "", "", false), m_zip));
        // A member the archive lacks: nothing to open, and nothing stays.
        QVERIFY_THROWS_EXCEPTION(SystemError, m_engine->preview(ArchiveEntry("nope.txt", "", "", "", false), m_zip));
        QCOMPARE(QDir(path("run")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), before);
    }
};

QTEST_GUILESS_MAIN(ArchiveEngineTest)
#include "ArchiveEngineTest.moc"
