// Loading an archive into the window, long work stopped, the open panel and the quick-access folders.
#include "UiTestSupport.h"

using namespace ui_test;

class ArchiveLoadingTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ArchiveEngine> m_engine;
    // Runs the real tool, but first sleeps on archives named "slow*".
    std::unique_ptr<ArchiveEngine> m_slowEngine;
    QString m_three;    // three members, in a file whose name has a space
    QString m_broken;   // not an archive

    QString path(const QString &relative) const { return m_dir.filePath(relative); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_engine = std::make_unique<ArchiveEngine>(kResources);
        QVERIFY(writeFile(path("src/docs/readme.txt"), "read me\n") && writeFile(path("src/bin/tool"), "#!/bin/sh\n"));
        m_three = path("three members.zip");
        QVERIFY(makeZip(m_three, path("src"), {"docs", "bin/tool"}) && QFile::copy(m_three, path("slow three.zip")));
        m_broken = path("broken.zip");
        QVERIFY(writeFile(m_broken, "this is not an archive\n") && QFile::copy(m_broken, path("slow broken.zip")));

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

    // A failed load keeps what was shown, and actions still act on it; with nothing shown, Extract only beeps.
    void failedLoadKeepsWhatWasShown()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, m_broken, QStringLiteral("Ready"));
        QCOMPARE(desktop.kinds(), QStringList{"errorReport"});
        QCOMPARE(rowCount(c), 0);
        desktop.clear();
        click(c, "extractButton");
        QCOMPARE(desktop.kinds(), QStringList{"beep"});

        c.loadArchive(m_three);
        QCOMPARE(rowCount(c), 0);
        UI_WAIT_FOR_STATUS(c, QStringLiteral("3 items"));
        QCOMPARE(pathText(c), m_three);
        desktop.clear();
        load(c, path("missing.zip"), QStringLiteral("Ready"));
        QCOMPARE(desktop.kinds(), QStringList{"errorReport"});
        QCOMPARE(pathText(c), m_three);
        QCOMPARE(rowCount(c), 3);
        click(c, "testButton");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("Archive test passed"));
        QCOMPARE(desktop.calls.last().values.value(2), QStringLiteral("three members.zip"));
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
        load(c, path("slow three.zip"), QStringLiteral("3 items"));
        click(c, "testButton");
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
        c->loadArchive(path("slow three.zip"));
        c->loadArchive(path("slow broken.zip"));
        delete c;
        drainWork();
        QVERIFY(desktop.calls.isEmpty());
    }

    // Cancelled panels and the quick-access folders leave the window as it was; a missing folder is silent.
    void openPanelAndQuickAccessFolders()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        click(c, "openButton");
        desktop.queueChosenFiles({});
        click(c, "openArchiveButton");
        for (const char *name : {"homeButton", "downloadsButton", "documentsButton", "desktopButton"})
            click(c, name);   // no Desktop folder yet
        QCOMPARE(desktop.kinds(), QStringList({"chooseFiles", "chooseFiles", "open", "open", "open"}));
        QStringList opened;
        for (const auto &call : desktop.calls.mid(2))
            opened += call.values;
        QCOMPARE(opened, (QStringList{path("home"), path("home/Downloads"), path("home/Documents")}));
        QCOMPARE(statusText(c), QStringLiteral("Ready"));

        // Confirmed: the chosen file is loaded, whatever its extension.
        QVERIFY(QFile::copy(m_three, path("three.data")));
        desktop.queueChosenFiles({path("three.data")});
        click(c, "openArchiveButton");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("3 items"));
        QCOMPARE(c.archivePath(), path("three.data"));
    }
};

QTEST_MAIN(ArchiveLoadingTest)
#include "ArchiveLoadingTest.moc"
