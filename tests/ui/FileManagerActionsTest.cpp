// The "File Manager Actions" buttons run the installer script with /bin/zsh.
#include "UiTestSupport.h"

using namespace ui_test;

class FileManagerActionsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ArchiveEngine> m_engine;

    // A resource folder of its own whose script (none if null) is `body`.
    QString resourcesWithScript(const QString &name, const QByteArray &body)
    {
        const QString folder = m_dir.filePath(name);
        QDir().mkpath(folder);
        if (!body.isNull())
            writeFile(folder + "/install-finder-actions.sh", body);
        return folder;
    }

private slots:
    void initTestCase() { m_engine = std::make_unique<ArchiveEngine>(kResources); }

    // The script needs no execute permission and gets no arguments. Success is an alert that does not show
    // the script's output; a failure shows both streams in order, or the shell's own message.
    void scriptOutcome()
    {
        const QString record = m_dir.filePath("arguments.txt");
        const struct { QByteArray script; QString error; } cases[] = {
            {QStringLiteral("print -r -- \"$#|$*\" > '%1'\nprint 'installed three'\n").arg(record).toUtf8(), "-"},
            {"print one\nprint -u2 two\nprint three\nexit 2\n", "one\ntwo\nthree\n"},
            {"exit 3\n", ""},
            {QByteArray(), "install-finder-actions.sh"},
        };
        for (const auto &t : cases) {
            FakeDesktop desktop;
            CorvexController c(*m_engine, desktop, resourcesWithScript(QString::number(&t - cases), t.script));
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
                QVERIFY2(t.error.isEmpty() ? !values[0].isEmpty() : values[0] == t.error, qPrintable(values[0]));
        }
        QCOMPARE(readFile(record), QByteArray("0|\n"));
    }
};

QTEST_MAIN(FileManagerActionsTest)
#include "FileManagerActionsTest.moc"
