// Loading an archive into the window, and long work stopped.
#include "UiTestSupport.h"

#include <QMenu>

using namespace ui_test;

class ArchiveLoadingTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ArchiveEngine> m_engine;
    // Runs the real tool, but first sleeps on archives named "slow*".
    std::unique_ptr<ArchiveEngine> m_slowEngine;
    QString m_three;    // three members, in a file whose name has a space
    QString m_one;      // bin/tool alone

    QString path(const QString &relative) const { return m_dir.filePath(relative); }

private slots:
    void initTestCase()
    {
        m_engine = std::make_unique<ArchiveEngine>(kResources);
        QVERIFY(writeFile(path("src/docs/readme.txt"), "read me\n") && writeFile(path("src/bin/tool"), "#!/bin/sh\n"));
        QVERIFY(makeZip(m_three = path("three members.zip"), path("src"), {"docs", "bin/tool"}) && QFile::copy(m_three, path("slow three.zip"))
                && makeZip(m_one = path("one.zip"), path("src"), {"bin/tool"}));
        QVERIFY(writeFile(path("broken.zip"), "this is not an archive\n") && QFile::copy(path("broken.zip"), path("slow broken.zip")));
        const QString slow = path("slow-resources/bin/7zz");
        QVERIFY(writeFile(slow, QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do case \"$a\" in */slow*) sleep 2;; esac; done\n"
                                               "exec '%1' \"$@\"\n").arg(kTool).toUtf8()));
        QFile::setPermissions(slow, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_slowEngine = std::make_unique<ArchiveEngine>(path("slow-resources"));
    }

    void cleanupTestCase() { drainWork(); }

    // A failed load keeps what was shown, and actions still act on it.
    void failedLoadKeepsWhatWasShown()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, m_three, QStringLiteral("3 items"));
        for (const QString &bad : {path("broken.zip"), path("missing.zip")})
            load(c, bad, QStringLiteral("Ready"));
        QCOMPARE(desktop.kinds(), QStringList({"errorReport", "errorReport"}));
        QCOMPARE(part<QLabel>(c, "pathLabel")->text(), m_three);
        QCOMPARE(rowCount(c), 3);
        click(c, "testButton");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("Archive test passed"));
        QCOMPARE(desktop.calls.last().values.value(2), QStringLiteral("three members.zip"));
    }

    // An old ZIP's names show decoded; the Encoding choice, the detected code page marked, reads it again in
    // another, which holds while it stays open; an archive without such names has no choice to make.
    void encodingChoice()
    {
        const QString old = path("old names.zip");
        QVERIFY(makeCodePageZip(old, "cp866", {"Привет.txt", "Мир/"}));
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, old, QStringLiteral("2 items"));
        const auto names = [&c] { return QStringList{cell(c, 0, 0), cell(c, 1, 0)}; };
        QCOMPARE(names(), QStringList({"Привет.txt", "Мир"}));
        QVERIFY(!part<QAbstractButton>(c, "encodingButton")->isHidden());
        QAction *dos = part<QMenu>(c, "encodingMenu")->findChild<QAction *>("codePage866");
        QVERIFY(dos->isChecked() && dos->text() == "Cyrillic (DOS 866) (detected)");
        part<QMenu>(c, "encodingMenu")->findChild<QAction *>("codePage1251")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(names(), QStringList({"ЏаЁўҐв.txt", "ЊЁа"}), 30000);
        c.loadArchive(old);
        drainWork();
        QTRY_COMPARE_WITH_TIMEOUT(names(), QStringList({"ЏаЁўҐв.txt", "ЊЁа"}), 30000);
        QVERIFY(part<QMenu>(c, "encodingMenu")->findChild<QAction *>("codePage1251")->isChecked());
        load(c, m_one, QStringLiteral("1 items"));
        QVERIFY(part<QAbstractButton>(c, "encodingButton")->isHidden());
    }

    // Escape, the Cancel button or closing the window stop a long test: the status is as before, no alert.
    void longWorkStops()
    {
        for (int how = 0; how < 3; ++how) {
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
            QVERIFY2(statusText(c) == QStringLiteral("3 items") && !activity->isVisible() && desktop.calls.isEmpty(),
                     qPrintable(QString::number(how)));
        }
    }

    // Each load cancels the one before: the archive opened last is shown, though an earlier listing would end
    // later, and a cancelled load never alerts. An extraction started before goes on with the archive shown
    // when it began, and every completion reaches the desktop on the main thread.
    void newestLoadWins()
    {
        FakeDesktop desktop;
        CorvexController c(*m_slowEngine, desktop, QString());
        load(c, path("slow three.zip"), QStringLiteral("3 items"));
        desktop.queueChosenFiles({path("out")});
        c.extractArchive();
        c.loadArchive(path("slow broken.zip"));
        c.loadArchive(m_one);
        UI_WAIT_FOR_STATUS(c, "Extracted to " + path("out"));
        drainWork();
        QCOMPARE(desktop.kinds(), (QStringList{"chooseFiles", "reveal"}));
        QVERIFY(c.archivePath() == m_one && rowCount(c) == memberPaths(m_one).size());
        QCOMPARE(tree(path("out")), (QStringList{"bin", "bin/tool", "docs", "docs/readme.txt"}));
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
};

QTEST_MAIN(ArchiveLoadingTest)
#include "ArchiveLoadingTest.moc"
