// Extract, Test, Compress to ZIP and View against the real 7zz: what ends up
// on disk, what the labels say, and what is asked of the desktop.
#include "UiTestSupport.h"

#include <QDirIterator>

using namespace ui_test;

class WindowActionsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ArchiveEngine> m_engine;
    QString m_sound;     // docs/, docs/readme.txt, docs/deep/note.md, -dash.txt
    QString m_damaged;   // one stored member with a wrong checksum
    QString m_hostile;   // a member named ../evil.txt
    QString m_previews;  // the temporary folder the previews go to

    QString path(const QString &relative) const { return m_dir.filePath(relative); }

    // Loads an archive into a fresh window; ends with the rows shown.
    void load(CorvexController &c, const QString &archive, const QString &status)
    {
        c.loadArchive(archive);
        UI_WAIT_FOR_STATUS(c, status);
    }

    int rowOf(const CorvexController &c, const QString &name)
    {
        for (int row = 0; row < rowCount(c); ++row) {
            if (cell(c, row, EntryTableModel::Name) == name)
                return row;
        }
        return -1;
    }

    QStringList previewFolders() const
    {
        return QDir(m_previews).entryList({"CorvexPreview-*"}, QDir::Dirs | QDir::NoDotAndDotDot);
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
        QVERIFY(runTool({"a", "-tzip", "-mx0", "-spd", "--", path("stored.zip"), "a.txt"}, path("plain")));
        QByteArray bytes = readFile(path("stored.zip"));
        const qsizetype at = bytes.indexOf("hello world");
        QVERIFY(at > 0);
        bytes[at] = 'J';
        m_damaged = path("damaged.zip");
        QVERIFY(writeFile(m_damaged, bytes));

        m_hostile = path("hostile.zip");
        QVERIFY(runTool({"-c", "import zipfile,sys\n"
                               "with zipfile.ZipFile(sys.argv[1],'w') as z:\n"
                               "  z.writestr('../evil.txt','evil')\n"
                               "  z.writestr('fine.txt','fine')\n",
                         m_hostile},
                        QString(), QStringLiteral("python3")));

        // Previews go to the temporary folder: keep them inside the scratch folder.
        m_previews = path("tmp");
        QDir().mkpath(m_previews);
        qputenv("TMPDIR", m_previews.toUtf8());
    }

    void cleanupTestCase() { drainWork(); }

    void needAnArchiveOrAFileRow()
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
        QCOMPARE(statusText(c), QStringLiteral("5 items"));
    }

    void cancelledPanelsChangeNothing()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, m_sound, QStringLiteral("5 items"));

        click(c, "extractButton");
        click(c, "compressButton");                        // items panel cancelled
        desktop.queueOpenPanelAnswer({path("src/docs")});
        desktop.queueSavePanelAnswer(std::nullopt);
        click(c, "compressButton");                        // save panel cancelled
        QCOMPARE(desktop.kinds(), QStringList({"openPanel", "openPanel", "openPanel", "savePanel"}));
        QCOMPARE(statusText(c), QStringLiteral("5 items"));
        QCOMPARE(c.archivePath(), m_sound);
        QCOMPARE(desktop.savePanels[0].requiredSuffix, QStringLiteral("zip"));
    }

    void extractsIntoTheChosenFolderOverwriting()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, m_sound, QStringLiteral("5 items"));

        const QString into = path("extract here");
        QVERIFY(writeFile(into + "/docs/readme.txt", "stale\n"));
        desktop.queueOpenPanelAnswer({into});
        click(c, "extractButton");
        QCOMPARE(statusText(c), QStringLiteral("Extracting\u2026"));
        UI_WAIT_FOR_STATUS(c, QStringLiteral("Extracted to ") + into);
        QCOMPARE(readFile(into + "/docs/readme.txt"), QByteArray("fresh readme\n"));
        QCOMPARE(tree(into), (QStringList{"-dash.txt", "docs", "docs/deep", "docs/deep/note.md", "docs/readme.txt"}));
        QCOMPARE(desktop.kinds(), QStringList({"openPanel", "reveal"}));
        QCOMPARE(desktop.calls.last().values, QStringList{into});
    }

    void testsSoundAndDamagedArchives()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, m_sound, QStringLiteral("5 items"));
        click(c, "testButton");
        QCOMPARE(statusText(c), QStringLiteral("Testing\u2026"));
        UI_WAIT_FOR_STATUS(c, QStringLiteral("Archive test passed"));
        QCOMPARE(desktop.kinds(), QStringList{"alert"});
        QCOMPARE(desktop.calls[0].values.mid(1), QStringList({"Archive test passed", "sound.zip"}));

        desktop.clear();
        load(c, m_damaged, QStringLiteral("1 items"));
        click(c, "testButton");
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("error"), 1, 30000);
        QVERIFY(desktop.calls[0].values[0].contains(QLatin1String("CRC Failed")));
        QCOMPARE(statusText(c), QStringLiteral("Testing\u2026"));
    }

    void compressesIntoANewZipThatBecomesCurrent()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        const QString zip = path("New Archive.zip");
        desktop.queueOpenPanelAnswer({path("src/docs"), path("src/-dash.txt")});
        desktop.queueSavePanelAnswer(zip);
        click(c, "compressButton");
        QCOMPARE(statusText(c), QStringLiteral("Creating ZIP\u2026"));
        UI_WAIT_FOR_STATUS(c, QStringLiteral("5 items"));
        QCOMPARE(pathText(c), zip);
        QCOMPARE(memberPaths(zip),
                 QStringList({"-dash.txt", "docs", "docs/deep", "docs/deep/note.md", "docs/readme.txt"}));
    }

    void compressOntoAnExistingZipReplacesIt()
    {
        const QString zip = path("replace/Archive.zip");
        QVERIFY(makeZip(zip, path("plain"), {"a.txt"}));

        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        desktop.queueOpenPanelAnswer({path("src/-dash.txt")});
        desktop.queueSavePanelAnswer(zip);
        click(c, "compressButton");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("1 items"));
        QCOMPARE(memberPaths(zip), QStringList{"-dash.txt"});
        QCOMPARE(QDir(path("replace")).entryList(QDir::Files | QDir::Hidden), QStringList{"Archive.zip"});
    }

    void failedCompressLeavesTheOldZipUntouched()
    {
        const QString zip = path("keep/Archive.zip");
        QVERIFY(makeZip(zip, path("plain"), {"a.txt"}));
        const QByteArray before = readFile(zip);

        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, m_sound, QStringLiteral("5 items"));
        // A missing input makes the tool fail after it wrote the others.
        desktop.queueOpenPanelAnswer({path("src/-dash.txt"), path("src/gone.txt")});
        desktop.queueSavePanelAnswer(zip);
        click(c, "compressButton");
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("error"), 1, 30000);
        QVERIFY(desktop.calls.last().values[0].contains(QLatin1String("gone.txt")));
        QCOMPARE(statusText(c), QStringLiteral("Creating ZIP\u2026"));
        QCOMPARE(readFile(zip), before);
        QCOMPARE(QDir(path("keep")).entryList(QDir::Files | QDir::Hidden), QStringList{"Archive.zip"});
        QCOMPARE(c.archivePath(), m_sound);
    }

    void previewsTheSelectedFileEachTimeAfresh()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, m_sound, QStringLiteral("5 items"));
        const QStringList before = previewFolders();

        selectRow(c, rowOf(c, "docs/deep/note.md"));
        click(c, "viewButton");
        QCOMPARE(statusText(c), QStringLiteral("Opening preview\u2026"));
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("open"), 1, 30000);
        click(c, "viewButton");
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("open"), 2, 30000);

        const QString first = desktop.calls[0].values[0];
        const QString second = desktop.calls[1].values[0];
        QVERIFY(first != second);
        for (const QString &copy : {first, second}) {
            QVERIFY2(copy.startsWith(m_previews + "/CorvexPreview-"), qPrintable(copy));
            QVERIFY(copy.endsWith(QLatin1String("/docs/deep/note.md")));
            QCOMPARE(readFile(copy), QByteArray("# note\n"));
        }
        QCOMPARE(previewFolders().size(), before.size() + 2);
    }

    void doubleClickViewsTheSelectedRow()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        c.window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(c.window()));
        load(c, m_sound, QStringLiteral("5 items"));

        // A member whose name could pass for an option.
        const int row = rowOf(c, "-dash.txt");
        QTableView *view = table(c);
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("open"), 1, 30000);
        QCOMPARE(readFile(desktop.calls.last().values[0]), QByteArray("dash\n"));

        // Below the last row: still the selected row, not whatever was clicked.
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(10, view->viewport()->height() - 5));
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("open"), 2, 30000);
        QVERIFY(desktop.calls.last().values[0].endsWith(QLatin1String("/-dash.txt")));

        // With no row selected: a beep, no preview.
        desktop.clear();
        view->clearSelection();
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(10, view->viewport()->height() - 5));
        QCOMPARE(desktop.kinds(), QStringList{"beep"});
    }

    void hostileMemberIsRefused()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, m_hostile, QStringLiteral("2 items"));
        selectRow(c, rowOf(c, "../evil.txt"));
        click(c, "viewButton");
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("error"), 1, 30000);
        QCOMPARE(desktop.count("open"), 0);
        QVERIFY(!QFileInfo::exists(m_previews + "/evil.txt"));
        QVERIFY(!QFileInfo::exists(path("evil.txt")));
    }
};

QTEST_MAIN(WindowActionsTest)
#include "WindowActionsTest.moc"
