// Compress to ZIP, View and Test against the real 7zz; beeps and cancelled panels.
#include "UiTestSupport.h"

using namespace ui_test;

class WindowActionsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ArchiveEngine> m_engine;
    QString m_sound;     // docs/, docs/readme.txt, docs/deep/note.md, -dash.txt

    QString path(const QString &relative) const { return m_dir.filePath(relative); }

    static int rowOf(const CorvexController &c, const QString &name)
    {
        const QAbstractItemModel *model = table(c)->model();
        return model->match(model->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly).value(0).row();
    }

private slots:
    void initTestCase()
    {
        m_engine = std::make_unique<ArchiveEngine>(kResources);

        QVERIFY(writeFile(path("src/docs/readme.txt"), "fresh readme\n") && writeFile(path("src/docs/deep/note.md"), "# note\n")
                && writeFile(path("src/-dash.txt"), "dash\n"));
        QVERIFY(makeZip(m_sound = path("sound.zip"), path("src"), {"docs", "-dash.txt"}));

        QVERIFY(writeFile(path("plain/a.txt"), "hello world content\n") && QDir().mkpath(path("tmp")));
        qputenv("TMPDIR", path("tmp").toUtf8());   // previews stay in our folder
    }

    void cleanupTestCase() { drainWork(); }

    // With nothing to act on, a beep; a cancelled panel (the password last) makes nothing.
    void beepsAndCancelledPanelsChangeNothing()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, m_sound, QStringLiteral("5 items"));
        table(c)->selectRow(rowOf(c, "docs"));
        click(c, "viewButton");               // a folder row
        click(c, "extractButton");
        desktop.queueChosenFiles({path("src/docs")});
        desktop.queueSaveFile(path("never.zip"));
        click(c, "compressButton");
        QCOMPARE(desktop.kinds(), QStringList({"beep", "chooseFiles", "chooseFiles", "chooseSaveFile", "newPassword"}));
        QVERIFY(!QFileInfo::exists(path("never.zip")));
        QCOMPARE(statusText(c), QStringLiteral("5 items"));
        QCOMPARE(c.archivePath(), m_sound);
    }

    // The new zip becomes current, its password known to Test; a failing tool leaves the old zip as it was.
    void compress()
    {
        const QString dash = path("src/-dash.txt");
        const struct { QStringList items; QString zip, password; QStringList members; } cases[] = {
            {{path("src/docs"), dash}, path("aes/New Archive.zip"), " -x 'q\" two ",
             {"-dash.txt", "docs", "docs/deep", "docs/deep/note.md", "docs/readme.txt"}},
            {{dash, path("src/gone.txt")}, path("keep/Archive.zip"), "", {"a.txt"}},   // a missing input
        };
        for (const auto &t : cases) {
            const bool failing = t.members == QStringList{"a.txt"};
            QVERIFY(!failing || makeZip(t.zip, path("plain"), {"a.txt"}));
            const QByteArray before = readFile(t.zip);
            FakeDesktop desktop;
            CorvexController c(*m_engine, desktop, QString());
            desktop.queueChosenFiles(t.items);
            desktop.queueSaveFile(t.zip);
            desktop.queueNewPasswordAnswer(t.password);
            click(c, "compressButton");
            if (failing) {
                QTRY_COMPARE_WITH_TIMEOUT(desktop.count("errorReport"), 1, 30000);
                QVERIFY(readFile(t.zip) == before && c.archivePath().isEmpty());
            } else {
                UI_WAIT_FOR_STATUS(c, QStringLiteral("%1 items").arg(t.members.size()));
                click(c, "testButton");
                UI_WAIT_FOR_STATUS(c, QStringLiteral("Archive test passed"));
                QVERIFY(desktop.count("password") == 0 && t.password.isEmpty() == runTool({"t", "--", t.zip}));
            }
            QCOMPARE(memberPaths(t.zip), t.members);
            QCOMPARE(QDir(QFileInfo(t.zip).path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        }
    }

    // Asked when needed, kept while the archive is current, forgotten on another load and on close.
    void encryptedArchives()
    {
        const QString names = path("enc/names.7z"), partial = path("enc/partial.zip");
        QVERIFY(makeEncrypted(Encryption::SevenZipNames, names, path("src"), {"-dash.txt"}, "pw 1") &&
                makeEncrypted(Encryption::ZipFirstMemberPlain, partial, path("src"), {"-dash.txt", "docs/readme.txt"}, "pw 2"));
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, m_sound, QStringLiteral("5 items"));
        c.loadArchive(names);   // cancelled: the shown archive stays
        UI_WAIT_FOR_STATUS(c, QStringLiteral("5 items"));
        for (const char *answer : {"wrong", "pw 1"}) desktop.queuePasswordAnswer(QString::fromUtf8(answer));
        load(c, names, QStringLiteral("1 items"));
        click(c, "testButton");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("Archive test passed"));

        load(c, partial, QStringLiteral("2 items"));
        table(c)->selectRow(rowOf(c, "docs/readme.txt"));
        desktop.queuePasswordAnswer(QStringLiteral("pw 2"));
        click(c, "viewButton");
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("open"), 1, 30000);
        click(c, "testButton");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("Archive test passed"));
        c.window()->close();
        click(c, "testButton");
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("password"), 5, 30000);   // names twice, then partial twice
        drainWork();
        QCOMPARE(desktop.calls[desktop.kinds().indexOf("password") + 2].values, (QStringList{names, "wrong"}));
        QCOMPARE(desktop.calls.last().values, QStringList{partial});
        QCOMPARE(desktop.count("errorReport"), 0);
    }
};

QTEST_MAIN(WindowActionsTest)
#include "WindowActionsTest.moc"
