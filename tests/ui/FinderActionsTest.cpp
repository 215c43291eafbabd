// The "File Manager Actions" buttons run the installer script with /bin/zsh.
#include "UiTestSupport.h"

using namespace ui_test;

class FinderActionsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ArchiveEngine> m_engine;

    // A resource folder of its own whose script is `body`.
    QString resourcesWithScript(const QString &name, const QByteArray &body)
    {
        const QString folder = m_dir.filePath(name);
        QDir().mkpath(folder);
        if (!body.isNull())
            writeFile(folder + "/install-finder-actions.sh", body);
        return folder;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_engine = std::make_unique<ArchiveEngine>(kResources);
    }

    void scriptOutcome_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("success, output not shown")
            << QByteArray("print 'installed three actions'\nexit 0\n") << "alert"
            << QStringList{"File manager actions installed",
                           "Extract Here, Extract to Folder, and Compress to ZIP are now in your file manager's context menu."};
        QTest::newRow("stderr line, status 1")
            << QByteArray("print -u2 'cannot write ~/.local'\nexit 1\n") << "error" << QStringList{"cannot write ~/.local\n"};
        QTest::newRow("both streams in order")
            << QByteArray("print one\nprint -u2 two\nprint three\nexit 2\n") << "error" << QStringList{"one\ntwo\nthree\n"};
        QTest::newRow("silent, status 3") << QByteArray("exit 3\n") << "error" << QStringList{"The archive operation failed."};
    }

    // Either button; the script needs no execute permission.
    void scriptOutcome()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, kind);
        QFETCH(QStringList, texts);
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, resourcesWithScript(QTest::currentDataTag(), script));
        for (const char *name : {"finderActionsButton", "sidebarFinderActionsButton"}) {
            desktop.clear();
            part<QLabel>(c, "statusLabel")->setText("Ready");
            click(c, name);
            QCOMPARE(desktop.kinds(), QStringList{kind});
            QCOMPARE(desktop.calls[0].values.mid(kind == "alert" ? 1 : 0), texts);
            QCOMPARE(statusText(c), kind == "alert" ? texts[0] : QStringLiteral("Ready"));
        }
    }

    void missingScriptShowsTheShellsMessage()
    {
        FakeDesktop desktop;
        const QString folder = resourcesWithScript("absent", QByteArray());
        CorvexController c(*m_engine, desktop, folder);
        click(c, "sidebarFinderActionsButton");
        QCOMPARE(desktop.kinds(), QStringList{"error"});
        const QString message = desktop.calls[0].values[0];
        QVERIFY2(message.contains(folder + "/install-finder-actions.sh"), qPrintable(message));
        QVERIFY2(message.contains(QLatin1String("zsh")), qPrintable(message));
        QCOMPARE(statusText(c), QStringLiteral("Ready"));

        // No resource folder at all.
        desktop.clear();
        CorvexController bare(*m_engine, desktop, QString());
        click(bare, "finderActionsButton");
        QCOMPARE(desktop.calls.value(0).values, QStringList{"File manager actions are missing from this build."});
    }

    void theShellGetsOnlyTheScriptsPath()
    {
        const QString record = m_dir.filePath("arguments.txt");
        const QString folder = resourcesWithScript(
            "args", QStringLiteral("print -r -- \"$#|$0|$*\" > '%1'\nexit 0\n").arg(record).toUtf8());
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, folder);
        click(c, "finderActionsButton");
        QCOMPARE(QString::fromUtf8(readFile(record)), QStringLiteral("0|%1/install-finder-actions.sh|\n").arg(folder));
    }
};

QTEST_MAIN(FinderActionsTest)
#include "FinderActionsTest.moc"
