// Loading an archive into the window, the open panel and the quick-access folders.
#include "UiTestSupport.h"

#include <QStandardPaths>

using namespace ui_test;

class ArchiveLoadingTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ArchiveEngine> m_engine;
    // Runs the real tool, but first sleeps on archives named "slow*".
    std::unique_ptr<ArchiveEngine> m_slowEngine;
    QString m_three;    // three members, in a file whose name has a space
    QString m_one;
    QString m_broken;   // not an archive

    QString path(const QString &relative) const { return m_dir.filePath(relative); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_engine = std::make_unique<ArchiveEngine>(kResources);

        QVERIFY(writeFile(path("src/docs/readme.txt"), "read me\n"));
        QVERIFY(writeFile(path("src/bin/tool"), "#!/bin/sh\n"));
        m_three = path("three members.zip");
        QVERIFY(makeZip(m_three, path("src"), {"docs", "bin/tool"}));
        m_one = path("one.zip");
        QVERIFY(makeZip(m_one, path("src"), {"bin/tool"}));
        m_broken = path("broken.zip");
        QVERIFY(writeFile(m_broken, "this is not an archive\n"));

        const QString slow = path("slow-resources/bin/7zz");
        QVERIFY(writeFile(slow, QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do case \"$a\" in */slow*) sleep 2;; esac; done\n"
                                               "exec '%1' \"$@\"\n").arg(kTool).toUtf8()));
        QFile::setPermissions(slow, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_slowEngine = std::make_unique<ArchiveEngine>(path("slow-resources"));

        // The quick-access folders resolve inside the scratch folder.
        qputenv("HOME", path("home").toUtf8());
        qputenv("XDG_CONFIG_HOME", path("home/.config").toUtf8());
        QDir().mkpath(path("home/Downloads"));
        QDir().mkpath(path("home/Documents"));
    }

    void cleanupTestCase() { drainWork(); }

    void loadsThreeMembers()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        c.loadArchive(m_three);
        QCOMPARE(statusText(c), QStringLiteral("Reading archive\u2026"));
        QCOMPARE(rowCount(c), 0);
        UI_WAIT_FOR_STATUS(c, QStringLiteral("3 items"));
        QCOMPARE(pathText(c), m_three);   // the space shown as it is
        QCOMPARE(c.archivePath(), m_three);

        QStringList types;
        for (int row = 0; row < rowCount(c); ++row)
            types += cell(c, row, EntryTableModel::Name) + ' ' + cell(c, row, EntryTableModel::Type);
        types.sort();
        QCOMPARE(types, QStringList({"bin/tool File", "docs Folder", "docs/readme.txt TXT"}));
        QVERIFY(desktop.calls.isEmpty());

        // Loading it again lists it afresh.
        c.loadArchive(m_three);
        QCOMPARE(statusText(c), QStringLiteral("Reading archive\u2026"));
        UI_WAIT_FOR_STATUS(c, QStringLiteral("3 items"));
    }

    void failedLoadKeepsWhatWasShown()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());

        // Nothing shown yet: stays empty, and Extract has nothing to act on.
        load(c, m_broken, QStringLiteral("Ready"));
        QCOMPARE(desktop.kinds(), QStringList{"errorReport"});
        QVERIFY(desktop.calls[0].values.join(QLatin1Char(10)).contains(QLatin1String("Cannot open the file as archive"))
                || desktop.calls[0].values.join(QLatin1Char(10)).contains(QLatin1String("Is not archive")));
        QCOMPARE(rowCount(c), 0);
        desktop.clear();
        click(c, "extractButton");
        QCOMPARE(desktop.kinds(), QStringList{"beep"});

        // An archive shown: it stays, rows and all, and actions still use it.
        load(c, m_three, QStringLiteral("3 items"));
        desktop.clear();
        load(c, path("missing.zip"), QStringLiteral("Ready"));
        QCOMPARE(desktop.kinds(), QStringList{"errorReport"});
        QVERIFY(desktop.calls[0].values.join(QLatin1Char(10)).contains(QLatin1String("No such file")));
        QCOMPARE(pathText(c), m_three);
        QCOMPARE(rowCount(c), 3);
        desktop.clear();
        click(c, "testButton");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("Archive test passed"));
        QCOMPARE(desktop.calls.last().values.value(2), QStringLiteral("three members.zip"));
    }

    void theArchiveOpenedLastWins()
    {
        FakeDesktop desktop;
        CorvexController c(*m_slowEngine, desktop, QString());
        QVERIFY(QFile::copy(m_three, path("slow three.zip")));

        // Two real loads; the first, still listing, is stopped by the second.
        c.loadArchive(path("slow three.zip"));
        c.loadArchive(m_one);
        UI_WAIT_FOR_STATUS(c, QStringLiteral("1 items"));
        drainWork();
        QCOMPARE(statusText(c), QStringLiteral("1 items"));
        QCOMPARE(c.archivePath(), m_one);
        QCOMPARE(rowCount(c), 1);
        QVERIFY(desktop.calls.isEmpty());
    }

    // A long test shows the bar and Cancel; Escape, the button or closing
    // the window stop it, and the status is as before with no alert.
    void longWorkShowsProgressAndStops_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Escape") << 0;
        QTest::newRow("Cancel button") << 1;
        QTest::newRow("window closed") << 2;
    }

    void longWorkShowsProgressAndStops()
    {
        QFETCH(int, how);
        FakeDesktop desktop;
        CorvexController c(*m_slowEngine, desktop, QString());
        c.window()->show();
        QVERIFY(QFile::exists(path("slow three.zip")) || QFile::copy(m_three, path("slow three.zip")));
        load(c, path("slow three.zip"), QStringLiteral("3 items"));
        click(c, "testButton");
        QCOMPARE(statusText(c), QStringLiteral("Testing…"));
        QWidget *activity = part<QWidget>(c, "activity");
        QTRY_VERIFY(activity->isVisible());
        if (how == 0)
            QTest::keyClick(c.window(), Qt::Key_Escape);
        else if (how == 1)
            click(c, "cancelButton");
        else
            c.window()->close();
        drainWork();
        QCOMPARE(statusText(c), QStringLiteral("3 items"));
        QVERIFY(!activity->isVisible());
        QVERIFY(desktop.calls.isEmpty());
    }

    void completionAfterTheWindowIsGoneIsDropped()
    {
        FakeDesktop desktop;
        auto *c = new CorvexController(*m_slowEngine, desktop, QString());
        QVERIFY(QFile::copy(m_broken, path("slow broken.zip")));
        c->loadArchive(path("slow three.zip"));
        c->loadArchive(path("slow broken.zip"));
        delete c;
        drainWork();
        QTest::qWait(50);
        QVERIFY(desktop.calls.isEmpty());
    }

    void openPanelAndQuickAccessFolders()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, m_three, QStringLiteral("3 items"));

        // Panel cancelled from either button, or a folder opened: the window stays as it was.
        click(c, "openButton");
        desktop.queueOpenPanelAnswer({});
        click(c, "openArchiveButton");
        for (const char *name : {"homeButton", "downloadsButton", "documentsButton", "desktopButton"})
            click(c, name);   // no Desktop folder yet: silent
        QDir().mkpath(path("home/Desktop"));
        click(c, "desktopButton");
        QCOMPARE(desktop.kinds(), QStringList({"openPanel", "openPanel", "open", "open", "open", "open"}));
        QStringList opened;
        for (const auto &call : desktop.calls.mid(2))
            opened += call.values;
        QCOMPARE(opened, (QStringList{path("home"), path("home/Downloads"), path("home/Documents"), path("home/Desktop")}));
        QCOMPARE(statusText(c), QStringLiteral("3 items"));
        QCOMPARE(pathText(c), m_three);
        QCOMPARE(rowCount(c), 3);

        // Confirmed: the chosen file is loaded, whatever its extension.
        QVERIFY(QFile::copy(m_one, path("one.data")));
        desktop.queueOpenPanelAnswer({path("one.data")});
        click(c, "openButton");
        QCOMPARE(statusText(c), QStringLiteral("Reading archive\u2026"));
        UI_WAIT_FOR_STATUS(c, QStringLiteral("1 items"));
        QCOMPARE(pathText(c), path("one.data"));
        desktop.queueOpenPanelAnswer({m_three});
        click(c, "openArchiveButton");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("3 items"));
        QCOMPARE(pathText(c), m_three);
    }
};

QTEST_MAIN(ArchiveLoadingTest)
#include "ArchiveLoadingTest.moc"
