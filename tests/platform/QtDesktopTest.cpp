// The real desktop seam; reveal talks to a stand-in file manager on a private session bus.
#include "platform/PasswordDialog.h"
#include "platform/ConflictBox.h"
#include "platform/QtDesktop.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDesktopServices>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <unistd.h>
#include <vector>

class FakeFileManager : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QList<QStringList> shown;
    bool failing = false;

public slots:
    void ShowItems(const QStringList &uris, const QString &)
    {
        shown.append(uris);
        if (failing)
            sendErrorReply(QDBusError::Failed, QStringLiteral("cannot show"));
    }
};

class QtDesktopTest : public QObject
{
    Q_OBJECT

public slots:
    void openedUrl(const QUrl &url) { m_opened.append(url.toLocalFile()); }

private:
    const QString m_service = QStringLiteral("org.freedesktop.FileManager1");
    QStringList m_opened;
    FakeFileManager m_fileManager;
    // The file manager's own connection, apart from the one the desktop uses.
    QDBusConnection m_bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("file-manager"));

    void revealAndWait(const QStringList &paths)
    {
        QtDesktop desktop;
        desktop.reveal(paths);
        QTimer::singleShot(10000, &desktop, [&desktop] { emit desktop.pendingRevealsFinished(); });
        desktop.waitForPendingReveals();
        QVERIFY(!desktop.hasPendingReveals());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_bus.isConnected());
        QVERIFY(m_bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &m_fileManager,
                                     QDBusConnection::ExportAllSlots));
        QVERIFY(m_bus.registerService(m_service));
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openedUrl");
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    void init() { m_opened.clear(), m_fileManager.shown.clear(), m_fileManager.failing = false; }

    // Markup shown as text, a long text bounded with the whole of it behind Details, Escape closes every alert.
    void alertsShowTheirTextLiterallyAndBounded()
    {
        const QString huge = QStringLiteral("Path = member.txt\n").repeated(35'000);
        std::unique_ptr<QMessageBox> boxes[] = {QtDesktop::errorBox(huge), QtDesktop::errorReportBox("m", huge, huge),
                                                QtDesktop::alertBox(Desktop::AlertStyle::Informational, "Done", "<i>")};
        QVERIFY(boxes[2]->informativeText().contains(QStringLiteral("&lt;i&gt;")));
        for (const auto &box : boxes) {
            QVERIFY(box->text().size() <= 4000 && box->informativeText().size() <= 4000);
            QCOMPARE(box->detailedText().trimmed(), box.get() == boxes[2].get() ? QString() : huge.trimmed());
            box->show();
            QTest::keyClick(box.get(), Qt::Key_Escape);
            QVERIFY(!box->isVisible());
        }
    }

    // Markup in the name stays text; a pasted line loses its line break, one inside keeps OK off;
    // a new password: both empty for none, or typed twice and accepted.
    void passwordDialogs()
    {
        PasswordDialog dialog(Desktop::PasswordPrompt{QStringLiteral("/srv/<i>Q3 &amp;.7z"), true});
        QString texts;
        for (const QLabel *label : dialog.findChildren<QLabel *>())
            texts += label->textFormat() == Qt::PlainText ? label->text() : label->text().toHtmlEscaped();
        QVERIFY(texts.contains(QStringLiteral("“<i>Q3 &amp;.7z”")));
        auto *field = dialog.findChild<QLineEdit *>(QStringLiteral("password"));
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        field->setText(QStringLiteral("a b\r\n"));
        QCOMPARE(dialog.password(), QStringLiteral("a b"));
        field->setText(QStringLiteral("a\nb"));
        QVERIFY(!dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled());

        const auto asciiOnly = [](const QString &password) { return password.toLatin1() == password.toUtf8() ? "" : "ASCII only"; };
        const struct { QString first, second; bool acceptable; } rows[] = {
            {"", "", true}, {"abc", "", false}, {"abc", "abd", false}, {"a b-c", "a b-c", true}, {"ünï", "ünï", false}};
        for (const auto &row : rows) {
            PasswordDialog dialog(Desktop::NewPasswordPrompt{QStringLiteral("/srv/photos.zip"), asciiOnly});
            dialog.findChild<QLineEdit *>(QStringLiteral("password"))->setText(row.first);
            dialog.findChild<QLineEdit *>(QStringLiteral("confirmation"))->setText(row.second);
            QCOMPARE(dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled(), row.acceptable);
        }
    }

    // Clicked (a choice's button, -1 Escape) with "Apply to all" checked: Cancel never applies to all.
    void conflictBoxAnswers()
    {
        Question question;
        question.kind = Question::Kind::Conflict;
        question.existingPath = QStringLiteral("/srv/out/docs");
        for (const int clicked : {int(ConflictChoice::Skip), int(ConflictChoice::Cancel), -1}) {
            ConflictBox box(question);
            QCOMPARE(static_cast<QAbstractButton *>(box.defaultButton()), box.buttonFor(ConflictChoice::KeepBoth));
            box.checkBox()->setChecked(true);
            box.show();
            clicked < 0 ? QTest::keyClick(&box, Qt::Key_Escape) : box.buttonFor(ConflictChoice(clicked))->click();
            const ConflictChoice choice = clicked == int(ConflictChoice::Skip) ? ConflictChoice::Skip : ConflictChoice::Cancel;
            const Answer answer = box.answer();
            QVERIFY(answer.choice == choice && answer.cancelled == (choice == ConflictChoice::Cancel));
            QCOMPARE(answer.applyToAll, choice != ConflictChoice::Cancel);
        }
    }

    void savePanelSuffix()
    {
        for (const auto &[typed, answered] : {std::pair{"/a/b", "/a/b.zip"}, {"/a/b.ZIP", "/a/b.ZIP"},
                                              {"/a/b.tar", "/a/b.tar.zip"}, {"/a/b.", "/a/b.zip"}})
            QCOMPARE(QtDesktop::withRequiredSuffix(typed, QStringLiteral("zip")), answered);
    }

    void openAndRevealPassAwkwardPathsUnchanged()
    {
        QtDesktop().open(QStringLiteral("/srv/a b/#1.txt"));
        QCOMPARE(std::exchange(m_opened, {}), QStringList{QStringLiteral("/srv/a b/#1.txt")});

        revealAndWait({QStringLiteral("/srv/a b/#1 ü.zip"), QStringLiteral("/srv/c")});
        QCOMPARE(m_fileManager.shown, (QList<QStringList>{{"file:///srv/a%20b/%231%20%C3%BC.zip", "file:///srv/c"}}));
        QVERIFY(m_opened.isEmpty());
    }

    void revealFallsBackToParentFolders()
    {
        m_fileManager.failing = true;
        revealAndWait({QStringLiteral("/srv/a b/x.zip")});
        QCOMPARE(m_fileManager.shown.size(), 1);
        QCOMPARE(m_opened, QStringList{QStringLiteral("/srv/a b")});

        // No file manager at all: each parent folder once, in order.
        init();
        QVERIFY(m_bus.unregisterService(m_service));
        revealAndWait({QStringLiteral("/srv/a/one.zip"), QStringLiteral("/srv/a/two.zip"), QStringLiteral("/srv/b")});
        QVERIFY(m_fileManager.shown.isEmpty());
        QCOMPARE(m_opened, (QStringList{QStringLiteral("/srv/a"), QStringLiteral("/srv")}));
    }
};

int main(int argc, char **argv)
{
    // Runs itself again on a bus of its own, which ends with it.
    if (!qEnvironmentVariableIsSet("CORVEX_PRIVATE_BUS")) {
        qputenv("CORVEX_PRIVATE_BUS", "1");
        static char config[] = "--config-file=" CORVEX_PRIVATE_BUS_CONFIG;
        std::vector<char *> command{const_cast<char *>("dbus-run-session"), config, const_cast<char *>("--")};
        for (int i = 0; i < argc; ++i)
            command.push_back(argv[i]);
        command.push_back(nullptr);
        execvp(command[0], command.data());
        qWarning("dbus-run-session cannot be started: install dbus-daemon");
        return EXIT_FAILURE;
    }
    QApplication application(argc, argv);
    QtDesktopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QtDesktopTest.moc"
