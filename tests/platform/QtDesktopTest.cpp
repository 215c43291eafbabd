// The real desktop seam: alerts, dialogs, and reveal to a stand-in file manager on a private session bus.
#include "platform/AlertText.h"
#include "platform/PasswordDialog.h"
#include "engine/CreationRules.h"
#include "platform/CompressDialog.h"
#include "platform/ConflictBox.h"
#include "platform/QtDesktop.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QStandardItemModel>
#include <QSettings>
#include <QTemporaryDir>
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
    QStringList m_opened;
    QTemporaryDir m_folder;   // the remembered choices too
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
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_folder.path()));
        QVERIFY(m_bus.isConnected());
        QVERIFY(m_bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &m_fileManager,
                                     QDBusConnection::ExportAllSlots));
        QVERIFY(m_bus.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openedUrl");
    }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    // Short texts shown as they are; long ones keep both ends around one elision, whole lines and
    // characters, with the details bounded too.
    void bound()
    {
        const QString elision = QStringLiteral("\n\u2026\n");
        const QString wide = QStringLiteral("\U0001F4E6").repeated(3001);
        QString lines;
        for (int i = 1; i <= 200'000; ++i)
            lines += QStringLiteral("line %1 of the listing\n").arg(i);
        for (const QString &text : {QString(), QStringLiteral("ERROR: first\n\n  indented\nlast\n"), lines.left(lines.indexOf("line 41 ")),
                                    QString(4000, QLatin1Char('x'))}) {
            const AlertText::Bounded bounded = AlertText::bound(text);
            QVERIFY(bounded.message == text && bounded.details.isEmpty());
        }
        const QString listing = lines.left(lines.indexOf("line 35695 ")) + QStringLiteral("\nErrors: 1\n");
        AlertText::Bounded bounded = AlertText::bound(listing);
        QVERIFY(bounded.message.startsWith("line 1 of the listing\nline 2 ") && bounded.message.endsWith("line 35694 of the listing\n\nErrors: 1"));
        QVERIFY(bounded.message.count(elision) == 1 && bounded.message.count('\n') < 40 && bounded.message.size() <= 4000);
        QCOMPARE(bounded.details, listing);

        bounded = AlertText::bound(lines);   // about 5 MB
        const qsizetype gap = bounded.details.indexOf(elision);
        QVERIFY(bounded.details.size() <= 1024 * 1024 + 3 && bounded.details.endsWith("\nline 200000 of the listing\n"));
        QVERIFY(bounded.details.left(gap).endsWith(" of the listing") && bounded.details.mid(gap + 3).startsWith("line "));

        bounded = AlertText::bound("begin" + QString(5'000'000, QLatin1Char('m')) + "end");
        QVERIFY(bounded.message.startsWith("beginmmm") && bounded.message.endsWith("mmmend") && bounded.message.contains(elision));
        QVERIFY(bounded.message.size() <= 4000 && bounded.details.size() <= 1024 * 1024 + 3);
        // Characters outside the basic plane take two UTF-16 units.
        bounded = AlertText::bound(wide);
        QVERIFY(bounded.message.size() < wide.size() && bounded.message.isValidUtf16());
        AlertText::Limits small;
        small.maxDetailChars = 1001;
        QVERIFY(AlertText::bound(wide, small).details.isValidUtf16());
    }

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

    // The Compress dialog: a typed extension picks the format, a chosen format renames, options a format cannot
    // take are off with their reason shown, Create waits for a usable choice, and the last choice is remembered.
    void compressDialog_data()
    {
        QTest::addColumn<QString>("typed");      // empty: the proposed name
        QTest::addColumn<QString>("chosen");     // a format chosen afterwards
        QTest::addColumn<QString>("password");   // typed twice
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("enabled");    // password, hidden names, level, Store, Create
        QTest::newRow("proposed") << "" << "" << "" << "photos.zip" << "p-LSC";
        QTest::newRow("typed tar.xz") << "photos.TAR.XZ" << "" << "" << "photos.TAR.XZ" << "--L-C";
        QTest::newRow("7z, password") << "" << "7z" << "pw" << "photos.7z" << "pwLSC";
        QTest::newRow("typed tgz, then tar") << "x.tgz" << "tar" << "" << "x.tar" << "----C";
        QTest::newRow("hidden file") << ".7z" << "" << "" << ".7z" << "p-LS-";
    }
    void compressDialog()
    {
        QFETCH(QString, typed);
        QFETCH(QString, chosen);
        QFETCH(QString, password);
        QFETCH(QString, name);
        QFETCH(QString, enabled);
        const QString photos = m_folder.filePath("photos");
        QDir().mkpath(photos);
        QSettings().clear();
        CompressDialog dialog({photos, m_folder.filePath("b.txt")});
        auto *format = dialog.findChild<QComboBox *>("format");
        if (!typed.isEmpty())
            QTest::keyClick(dialog.findChild<QLineEdit *>("name"), Qt::Key_A, Qt::ControlModifier),
                QTest::keyClicks(dialog.findChild<QLineEdit *>("name"), typed);
        if (!chosen.isEmpty())
            format->setCurrentIndex(format->findText(chosen)), emit format->activated(format->currentIndex());
        for (const char *field : {"password", "confirmation"})
            dialog.findChild<QLineEdit *>(field)->setText(password);

        const auto *level = dialog.findChild<QComboBox *>("level");
        const bool store = static_cast<QStandardItemModel *>(level->model())->item(0)->isEnabled();
        const bool create = dialog.findChild<QPushButton *>("create")->isEnabled();
        const auto on = [&](const char *name, const char *yes) {
            return QString(dialog.findChild<QWidget *>(name)->isEnabled() ? yes : "-");
        };
        QCOMPARE(on("password", "p") + on("encryptNames", "w") + on("level", "L") + (store ? "S" : "-") + (create ? "C" : "-"),
                 enabled);
        QCOMPARE(dialog.findChild<QLineEdit *>("name")->text(), name);
        for (const char *reason : {"passwordReason", "encryptNamesReason", "levelReason"})
            QCOMPARE(dialog.findChild<QLabel *>(reason)->isHidden(), dialog.findChild<QLabel *>(reason)->text().isEmpty());
        if (!create)
            return;
        dialog.accept();
        QCOMPARE(dialog.choice().password, password);
        // The format comes back; the password never does.
        const CompressDialog again({photos});
        QCOMPARE(again.findChild<QLineEdit *>("name")->text(), CreationRules::withFormat("photos", dialog.choice().options.format));
        QVERIFY(again.findChild<QLineEdit *>("password")->text().isEmpty());
    }

    void saveSuffix()
    {
        for (const auto &[typed, answered] : {std::pair{"/a/b", "/a/b.zip"}, {"/a/b.ZIP", "/a/b.ZIP"},
                                              {"/a/b.tar", "/a/b.tar.zip"}, {"/a/b.", "/a/b.zip"}})
            QCOMPARE(QtDesktop::withRequiredSuffix(typed, QStringLiteral("zip")), answered);
    }

    // Paths reach the file manager as URIs, and opened files as themselves; a file manager that fails leaves
    // each parent folder opened once, in order.
    void openAndReveal()
    {
        QtDesktop().open(QStringLiteral("/srv/a b/#1.txt"));
        QCOMPARE(std::exchange(m_opened, {}), QStringList{QStringLiteral("/srv/a b/#1.txt")});
        revealAndWait({QStringLiteral("/srv/a b/#1 ü.zip"), QStringLiteral("/srv/c")});
        QCOMPARE(m_fileManager.shown, (QList<QStringList>{{"file:///srv/a%20b/%231%20%C3%BC.zip", "file:///srv/c"}}));
        QVERIFY(m_opened.isEmpty());
        m_fileManager.failing = true;
        revealAndWait({QStringLiteral("/srv/a/one.zip"), QStringLiteral("/srv/a/two.zip"), QStringLiteral("/srv/b")});
        QCOMPARE(m_opened, (QStringList{QStringLiteral("/srv/a"), QStringLiteral("/srv")}));
    }
};

QTEST_MAIN(QtDesktopTest)
#include "QtDesktopTest.moc"
