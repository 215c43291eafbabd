// Compress to ZIP, View, Test and File Manager Actions against the real tools; beeps and cancelled dialogs.
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

        QVERIFY(QDir().mkpath(path("tmp")));
        qputenv("TMPDIR", path("tmp").toUtf8());   // previews stay in our folder
    }

    void cleanupTestCase() { drainWork(); }

    // With nothing to act on, a beep; a cancelled dialog (the password last) makes nothing.
    void beepsAndCancelledDialogsChangeNothing()
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

    // The new zip, with a password the tool takes whole, becomes current, the password known to Test. (Nothing
    // is written over on failure or cancel: OperationJobTest.)
    void compress()
    {
        const QString zip = path("aes/New Archive.zip");
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        desktop.queueChosenFiles({path("src/docs"), path("src/-dash.txt")});
        desktop.queueSaveFile(zip);
        desktop.queueNewPasswordAnswer(QStringLiteral(" -x 'q\" two "));
        click(c, "compressButton");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("5 items"));
        click(c, "testButton");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("Archive test passed"));
        QVERIFY(desktop.count("password") == 0 && !runTool({"t", "--", zip}));
        QCOMPARE(memberPaths(zip), (QStringList{"-dash.txt", "docs", "docs/deep", "docs/deep/note.md", "docs/readme.txt"}));
        QCOMPARE(QDir(path("aes")).entryList(QDir::Files | QDir::Hidden), QStringList{"New Archive.zip"});
    }

    // Compress…: one 7z per item, with hidden names; the last one made becomes current, its password known.
    void compressAsChosen()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        desktop.queueChosenFiles({path("src/docs"), path("src/-dash.txt")});
        desktop.queueNewArchiveAnswer(NewArchiveChoice{path("src"), "ignored", {NewFormat::SevenZip, NewLevel::Fast, 0, true}, "pw", true});
        click(c, "compressDialogButton");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("1 items"));
        QCOMPARE(c.archivePath(), path("src/-dash.7z"));
        QVERIFY(!runTool({"l", "--", path("src/docs.7z")}) && runTool({"t", "--", path("src/docs.7z")}, {}, kTool, "pw\n"));
        QCOMPARE(desktop.kinds(), QStringList({"chooseFiles", "newArchive"}));
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
        const QString copy = desktop.calls.last().values.first();   // the plaintext, gone with the window
        click(c, "testButton");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("Archive test passed"));
        c.window()->close();
        QVERIFY(!copy.isEmpty() && !QFileInfo::exists(copy) && !QFileInfo::exists(QFileInfo(copy).path()));
        click(c, "testButton");
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("password"), 5, 30000);   // names twice, then partial twice
        drainWork();
        QCOMPARE(desktop.calls[desktop.kinds().indexOf("password") + 2].values, (QStringList{names, "wrong"}));
        QCOMPARE(desktop.calls.last().values, QStringList{partial});
        QCOMPARE(desktop.count("errorReport"), 0);
    }

    // File Manager Actions runs the installer with /bin/zsh. The script needs no execute permission and gets no arguments. Success is an alert that does not show
    // the script's output; a failure shows both streams in order, or the shell's own message.
    void scriptOutcome()
    {
        const QString record = path("arguments.txt");
        const struct { QByteArray script; QString error; } cases[] = {
            {QStringLiteral("print -r -- \"$#|$*\" > '%1'\nprint 'installed three'\n").arg(record).toUtf8(), "-"},
            {"print one\nprint -u2 two\nprint three\nexit 2\n", "one\ntwo\nthree\n"},
            {QByteArray(), "install-finder-actions.sh"},
        };
        for (const auto &t : cases) {
            // A resource folder of its own, with the script unless it is null.
            const QString resources = path("actions/" + QString::number(&t - cases));
            QVERIFY(QDir().mkpath(resources) && (t.script.isNull() || writeFile(resources + "/install-finder-actions.sh", t.script)));
            FakeDesktop desktop;
            CorvexController c(*m_engine, desktop, resources);
            click(c, "fileManagerActionsButton");
            QCOMPARE(desktop.kinds(), QStringList());   // the script runs as a job
            drainWork();
            QCOMPARE(desktop.kinds(), QStringList{t.error == "-" ? "alert" : "error"});
            const QStringList values = desktop.calls[0].values;
            if (t.error == "-")
                QVERIFY(!values.join(' ').contains("installed three") && statusText(c) == values[1]);
            else if (t.script.isNull())
                QVERIFY2(values[0].contains(t.error) && values[0].contains("zsh"), qPrintable(values[0]));
            else
                QCOMPARE(values[0], t.error);
        }
        QCOMPARE(readFile(record), QByteArray("0|\n"));
    }
};

QTEST_MAIN(WindowActionsTest)
#include "WindowActionsTest.moc"
