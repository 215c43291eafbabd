// Extract, Compress to ZIP and View against the real 7zz; beeps and cancelled panels.
#include "UiTestSupport.h"

using namespace ui_test;

class WindowActionsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ArchiveEngine> m_engine;
    QString m_sound;     // docs/, docs/readme.txt, docs/deep/note.md, -dash.txt

    QString path(const QString &relative) const { return m_dir.filePath(relative); }

    int rowOf(const CorvexController &c, const QString &name)
    {
        int row = rowCount(c) - 1;
        while (row >= 0 && cell(c, row, EntryTableModel::Name) != name)
            --row;
        return row;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_engine = std::make_unique<ArchiveEngine>(kResources);

        QVERIFY(writeFile(path("src/docs/readme.txt"), "fresh readme\n"));
        QVERIFY(writeFile(path("src/docs/deep/note.md"), "# note\n"));
        QVERIFY(writeFile(path("src/-dash.txt"), "dash\n"));
        m_sound = path("sound.zip");
        QVERIFY(makeZip(m_sound, path("src"), {"docs", "-dash.txt"}));

        QVERIFY(writeFile(path("plain/a.txt"), "hello world content\n"));
        // Previews go to the temporary folder: keep them in ours.
        QDir().mkpath(path("tmp"));
        qputenv("TMPDIR", path("tmp").toUtf8());
    }

    void cleanupTestCase() { drainWork(); }

    void beepsAndCancelledPanelsChangeNothing()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        for (const char *name : {"extractButton", "testButton", "viewButton"}) {
            desktop.clear();
            click(c, name);
            QCOMPARE(desktop.kinds(), QStringList{"beep"});
            QCOMPARE(statusText(c), QStringLiteral("Ready"));
        }

        load(c, m_sound, QStringLiteral("5 items"));
        desktop.clear();
        click(c, "viewButton");               // no row selected
        selectRow(c, rowOf(c, "docs"));
        click(c, "viewButton");               // a folder row
        QCOMPARE(desktop.kinds(), QStringList({"beep", "beep"}));

        // Each panel cancelled.
        desktop.clear();
        click(c, "extractButton");
        click(c, "compressButton");                        // items panel cancelled
        desktop.queueChosenFiles({path("src/docs")});
        desktop.queueSaveFile(std::nullopt);
        click(c, "compressButton");                        // save panel cancelled
        desktop.queueChosenFiles({path("src/docs")});
        desktop.queueSaveFile(path("never.zip"));
        click(c, "compressButton");                        // password cancelled: nothing is made
        QCOMPARE(desktop.kinds(), QStringList({"chooseFiles", "chooseFiles", "chooseFiles", "chooseSaveFile", "chooseFiles",
                                               "chooseSaveFile", "newPassword"}));
        QCOMPARE(statusText(c), QStringLiteral("5 items"));
        QCOMPARE(c.archivePath(), m_sound);
        QCOMPARE(desktop.saveChoices[0].suffix, QStringLiteral("zip"));
    }

    void extractsIntoTheChosenFolderAskingFirst()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, m_sound, QStringLiteral("5 items"));

        const QString into = path("extract here");
        QVERIFY(writeFile(into + "/docs/readme.txt", "stale\n"));
        desktop.queueChosenFiles({into});
        desktop.queueConflictAnswer(ConflictChoice::Replace);
        click(c, "extractButton");
        QCOMPARE(statusText(c), QStringLiteral("Extracting\u2026"));
        UI_WAIT_FOR_STATUS(c, QStringLiteral("Extracted to ") + into);
        QCOMPARE(readFile(into + "/docs/readme.txt"), QByteArray("fresh readme\n"));
        QCOMPARE(tree(into), (QStringList{"-dash.txt", "docs", "docs/deep", "docs/deep/note.md", "docs/readme.txt"}));
        QCOMPARE(desktop.kinds(), QStringList({"chooseFiles", "conflict", "reveal"}));
        QCOMPARE(desktop.calls.last().values, QStringList{into});
    }

    void compress_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("zip");
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QStringList>("members");
        QTest::addColumn<QString>("password");
        const QString dash = path("src/-dash.txt");
        QTest::newRow("new zip becomes current") << QStringList{path("src/docs"), dash} << path("new/New Archive.zip")
            << false << QStringList{"-dash.txt", "docs", "docs/deep", "docs/deep/note.md", "docs/readme.txt"} << "";
        QTest::newRow("onto an existing zip") << QStringList{dash} << path("replace/Archive.zip") << true
                                              << QStringList{"-dash.txt"} << "";
        QTest::newRow("encrypted, kept for the new zip") << QStringList{dash} << path("aes/Archive.zip") << false
                                                         << QStringList{"-dash.txt"} << " -x 'q\" two ";
        // A missing input makes the tool fail after it wrote the others: the old zip stays.
        QTest::newRow("failing onto an existing zip") << QStringList{dash, path("src/gone.txt")}
                                                      << path("keep/Archive.zip") << true << QStringList{"a.txt"}
                                                      << "";
    }

    void compress()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, zip);
        QFETCH(bool, existing);
        QFETCH(QStringList, members);
        QFETCH(QString, password);
        if (existing)
            QVERIFY(makeZip(zip, path("plain"), {"a.txt"}));
        const QByteArray before = readFile(zip);
        const bool failing = members == QStringList{"a.txt"};

        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        desktop.queueChosenFiles(items);
        desktop.queueSaveFile(zip);
        desktop.queueNewPasswordAnswer(password);
        click(c, "compressButton");
        if (failing) {
            QTRY_COMPARE_WITH_TIMEOUT(desktop.count("errorReport"), 1, 30000);
            QVERIFY(desktop.calls.last().values.join(QLatin1Char(10)).contains(QLatin1String("gone.txt")));
            QCOMPARE(statusText(c), QStringLiteral("Creating ZIP\u2026"));
            QCOMPARE(readFile(zip), before);
            QVERIFY(c.archivePath().isEmpty());
        } else {
            UI_WAIT_FOR_STATUS(c, QStringLiteral("%1 items").arg(members.size()));
            QCOMPARE(pathText(c), zip);
            // Its password is known: Test asks nothing; without it the test fails.
            click(c, "testButton");
            UI_WAIT_FOR_STATUS(c, QStringLiteral("Archive test passed"));
            QCOMPARE(desktop.count("password"), 0);
            QCOMPARE(password.isEmpty(), runTool({"t", "--", zip}));
        }
        QCOMPARE(memberPaths(zip), members);
        QCOMPARE(QDir(QFileInfo(zip).path()).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(zip).fileName()});
    }

    void doubleClickViewsTheSelectedRow()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        c.window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(c.window()));
        load(c, m_sound, QStringLiteral("5 items"));
        QTableView *view = table(c);
        const QPoint belowRows(10, view->viewport()->height() - 5);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                           view->visualRect(view->model()->index(rowOf(c, "docs/readme.txt"), 0)).center());
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("open"), 1, 30000);
        QCOMPARE(readFile(desktop.calls.last().values[0]), QByteArray("fresh readme\n"));

        // Below the last row: still the selected row; with none selected, a beep.
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, belowRows);
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("open"), 2, 30000);
        QVERIFY(desktop.calls.last().values[0].endsWith(QLatin1String("/docs/readme.txt")));
        desktop.clear();
        view->clearSelection();
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, belowRows);
        QCOMPARE(desktop.kinds(), QStringList{"beep"});
    }

    // Asked when needed, kept while the archive is current, forgotten on another load and on close.
    void encryptedArchives()
    {
        const QString names = path("enc/names.7z"), partial = path("enc/partial.zip");
        QVERIFY(makeEncrypted(Encryption::SevenZipNames, names, path("src"), {"-dash.txt"}, "pw 1"));
        QVERIFY(makeEncrypted(Encryption::ZipFirstMemberPlain, partial, path("src"), {"-dash.txt", "docs/readme.txt"},
                              "pw 2"));
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, m_sound, QStringLiteral("5 items"));
        c.loadArchive(names);   // cancelled: the shown archive stays
        UI_WAIT_FOR_STATUS(c, QStringLiteral("5 items"));
        desktop.queuePasswordAnswer(QStringLiteral("wrong"));
        desktop.queuePasswordAnswer(QStringLiteral("pw 1"));
        load(c, names, QStringLiteral("1 items"));
        click(c, "testButton");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("Archive test passed"));

        load(c, partial, QStringLiteral("2 items"));
        const auto lock = [&](int row) { return table(c)->model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>(); };
        QVERIFY(lock(rowOf(c, "-dash.txt")).isNull() && !lock(rowOf(c, "docs/readme.txt")).isNull());
        selectRow(c, rowOf(c, "docs/readme.txt"));
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
        QCOMPARE(statusText(c), QStringLiteral("Archive test passed"));
    }
};

QTEST_MAIN(WindowActionsTest)
#include "WindowActionsTest.moc"
