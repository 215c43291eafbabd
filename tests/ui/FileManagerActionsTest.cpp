// The "File Manager Actions" buttons run the installer script with /bin/zsh.
#include "UiTestSupport.h"

using namespace ui_test;

class FileManagerActionsTest : public QObject
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
        QTest::addColumn<QString>("error");   // the error shown: the script's output in order; "-" none
        QTest::newRow("success, output not shown") << QByteArray("print 'installed three actions'\nexit 0\n") << "-";
        QTest::newRow("stderr line, status 1") << QByteArray("print -u2 'cannot write ~/.local'\nexit 1\n")
                                               << "cannot write ~/.local\n";
        QTest::newRow("both streams in order") << QByteArray("print one\nprint -u2 two\nprint three\nexit 2\n")
                                               << "one\ntwo\nthree\n";
        QTest::newRow("silent, status 3") << QByteArray("exit 3\n") << "";
    }

    // The script needs no execute permission. Success names itself in the status; a failure leaves it.
    void scriptOutcome()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, error);
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, resourcesWithScript(QTest::currentDataTag(), script));
        click(c, "fileManagerActionsButton");
        QCOMPARE(desktop.kinds(), QStringList{error == "-" ? "alert" : "error"});
        const QStringList values = desktop.calls[0].values;
        if (error == "-") {
            QVERIFY(!values.join(' ').contains("installed three"));
            QCOMPARE(statusText(c), values[1]);
        } else {
            QVERIFY2(error.isEmpty() ? !values[0].isEmpty() : values[0] == error, qPrintable(values[0]));
            QCOMPARE(statusText(c), QStringLiteral("Ready"));
        }
    }

    void missingScriptShowsTheShellsMessage()
    {
        FakeDesktop desktop;
        const QString folder = resourcesWithScript("absent", QByteArray());
        CorvexController c(*m_engine, desktop, folder);
        click(c, "sidebarFileManagerActionsButton");
        QCOMPARE(desktop.kinds(), QStringList{"error"});
        const QString message = desktop.calls[0].values[0];
        QVERIFY2(message.contains(folder + "/install-finder-actions.sh") && message.contains("zsh"), qPrintable(message));

        // No resource folder at all.
        desktop.clear();
        CorvexController bare(*m_engine, desktop, QString());
        click(bare, "fileManagerActionsButton");
        QCOMPARE(desktop.kinds(), QStringList{"error"});
    }

    void theShellGetsOnlyTheScriptsPath()
    {
        const QString record = m_dir.filePath("arguments.txt");
        const QString folder = resourcesWithScript(
            "args", QStringLiteral("print -r -- \"$#|$0|$*\" > '%1'\nexit 0\n").arg(record).toUtf8());
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, folder);
        click(c, "fileManagerActionsButton");
        QCOMPARE(QString::fromUtf8(readFile(record)), QStringLiteral("0|%1/install-finder-actions.sh|\n").arg(folder));
    }
};

QTEST_MAIN(FileManagerActionsTest)
#include "FileManagerActionsTest.moc"
