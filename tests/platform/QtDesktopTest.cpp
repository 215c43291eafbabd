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
#include <QUrl>

#include <cstdlib>
#include <unistd.h>
#include <vector>

class FakeFileManager : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QList<QStringList> shown;
    QStringList startupIds;
    bool failing = false;

public slots:
    void ShowItems(const QStringList &uris, const QString &startupId)
    {
        shown.append(uris);
        startupIds.append(startupId);
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

    void init()
    {
        m_opened.clear();
        m_fileManager.shown.clear();
        m_fileManager.startupIds.clear();
        m_fileManager.failing = false;
    }

    // Markup shown as text, a long text bounded with the whole of it behind Details, Escape closes every alert.
    void alertsShowTheirTextLiterallyAndBounded()
    {
        QString huge;
        for (int i = 0; i < 35'000; ++i)
            huge += QStringLiteral("Path = member-%1.txt\n").arg(i);
        const auto info = QtDesktop::alertBox(Desktop::AlertStyle::Informational, QStringLiteral("Done"), QStringLiteral("<i>"));
        QCOMPARE(info->icon(), QMessageBox::Information);
        QVERIFY(info->informativeText().contains(QStringLiteral("&lt;i&gt;")));
        std::unique_ptr<QMessageBox> boxes[] = {QtDesktop::errorBox(huge), QtDesktop::errorReportBox("m", huge, huge),
                                                QtDesktop::alertBox(Desktop::AlertStyle::Warning, "m", "i")};
        QCOMPARE(boxes[0]->textFormat(), Qt::PlainText);
        QCOMPARE(boxes[2]->icon(), QMessageBox::Warning);
        for (const auto &box : boxes) {
            QVERIFY(box->text().size() <= 4000 && box->informativeText().size() <= 4000);
            QCOMPARE(box->detailedText().trimmed(), box.get() == boxes[2].get() ? QString() : huge.trimmed());
            box->show();
            QTest::keyClick(box.get(), Qt::Key_Escape);
            QVERIFY(!box->isVisible());
            QCOMPARE(box->clickedButton(), box->button(QMessageBox::Ok));
        }
    }

    void passwordDialogs()
    {
        for (const bool lastWrong : {false, true}) {
            PasswordDialog dialog(Desktop::PasswordPrompt{QStringLiteral("/srv/<i>Q3 &amp;.7z"), lastWrong});
            QString texts;
            for (const QLabel *label : dialog.findChildren<QLabel *>())
                texts += label->text();
            QVERIFY(texts.contains(QStringLiteral("“<i>Q3 &amp;.7z”")));
            QCOMPARE(texts.contains(QStringLiteral("wrong")), lastWrong);
            auto *field = dialog.findChild<QLineEdit *>(QStringLiteral("password"));
            QCOMPARE(field->echoMode(), QLineEdit::Password);
            // A pasted line loses its line break; one inside keeps OK off.
            field->setText(QStringLiteral("a b\r\n"));
            QCOMPARE(dialog.password(), QStringLiteral("a b"));
            field->setText(QStringLiteral("a\nb"));
            QVERIFY(!dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled());
            dialog.findChild<QCheckBox *>(QStringLiteral("showPassword"))->setChecked(true);
            QCOMPARE(field->echoMode(), QLineEdit::Normal);
            dialog.show();
            QTest::keyClick(&dialog, Qt::Key_Escape);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        }

        // A new password: both empty for none, or typed twice and accepted.
        const auto asciiOnly = [](const QString &password) {
            return password.toLatin1() == password.toUtf8() ? QString() : QStringLiteral("ASCII only");
        };
        const struct { QString first, second; bool acceptable; QString problem; } rows[] = {
            {"", "", true, ""}, {"abc", "", false, ""}, {"abc", "abd", false, "The passwords do not match."},
            {"a b-c", "a b-c", true, ""}, {"ünï", "ünï", false, "ASCII only"}};
        for (const auto &row : rows) {
            PasswordDialog dialog(Desktop::NewPasswordPrompt{QStringLiteral("/srv/photos.zip"), asciiOnly});
            dialog.findChild<QLineEdit *>(QStringLiteral("password"))->setText(row.first);
            dialog.findChild<QLineEdit *>(QStringLiteral("confirmation"))->setText(row.second);
            QCOMPARE(dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled(), row.acceptable);
            QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("problem"))->text(), row.problem);
        }
    }

    void conflictBoxNamesTheItemAndAnswers()
    {
        Question question;
        question.kind = Question::Kind::Conflict;
        question.archive = QStringLiteral("/srv/<b>x.zip");
        question.existingPath = QStringLiteral("/srv/out/docs");
        question.existingIsFolder = true;
        // Clicked (a choice's button, -1 Escape) with "Apply to all" checked, and the answer.
        const std::pair<int, ConflictChoice> cases[] = {{int(ConflictChoice::Skip), ConflictChoice::Skip},
                                                        {int(ConflictChoice::Cancel), ConflictChoice::Cancel},
                                                        {-1, ConflictChoice::Cancel}};
        for (const auto &[clicked, choice] : cases) {
            ConflictBox box(question);
            QVERIFY(box.text().contains(QStringLiteral("“docs”")));
            QVERIFY(box.informativeText().contains(QStringLiteral("“&lt;b&gt;x.zip”")));
            QCOMPARE(static_cast<QAbstractButton *>(box.defaultButton()), box.buttonFor(ConflictChoice::KeepBoth));
            box.checkBox()->setChecked(true);
            box.show();
            if (clicked < 0)
                QTest::keyClick(&box, Qt::Key_Escape);
            else
                box.buttonFor(ConflictChoice(clicked))->click();
            const Answer answer = box.answer();
            QCOMPARE(answer.choice, choice);
            QCOMPARE(answer.cancelled, choice == ConflictChoice::Cancel);
            QCOMPARE(answer.applyToAll, choice != ConflictChoice::Cancel);
        }
    }

    void savePanelSuffix_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("answered");
        QTest::newRow("missing") << "/a/b" << "/a/b.zip";
        QTest::newRow("other case") << "/a/b.ZIP" << "/a/b.ZIP";
        QTest::newRow("other suffix") << "/a/b.tar" << "/a/b.tar.zip";
        QTest::newRow("trailing dot") << "/a/b." << "/a/b.zip";
    }

    void savePanelSuffix()
    {
        QFETCH(QString, typed);
        QFETCH(QString, answered);
        QCOMPARE(QtDesktop::withRequiredSuffix(typed, QStringLiteral("zip")), answered);
        QCOMPARE(QtDesktop::withRequiredSuffix(typed, QString()), typed);
    }

    void openAndRevealPassAwkwardPathsUnchanged()
    {
        QtDesktop().open(QStringLiteral("/srv/a b/#1.txt"));
        QCOMPARE(m_opened, QStringList{QStringLiteral("/srv/a b/#1.txt")});
        m_opened.clear();

        revealAndWait({QStringLiteral("/srv/a b/#1 ü.zip"), QStringLiteral("/srv/c")});
        QCOMPARE(m_fileManager.shown.size(), 1);
        QCOMPARE(m_fileManager.shown.first(),
                 (QStringList{QStringLiteral("file:///srv/a%20b/%231%20%C3%BC.zip"), QStringLiteral("file:///srv/c")}));
        QCOMPARE(m_fileManager.startupIds, QStringList{QString()});
        QVERIFY(m_opened.isEmpty());
    }

    void revealFallsBackToParentFolders()
    {
        m_fileManager.failing = true;
        revealAndWait({QStringLiteral("/srv/a b/x.zip")});
        QCOMPARE(m_fileManager.shown.size(), 1);
        QCOMPARE(m_opened, QStringList{QStringLiteral("/srv/a b")});

        // No file manager at all: each parent folder once, in order.
        m_opened.clear();
        m_fileManager.shown.clear();
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
