#include "QtDesktop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QTest>
#include <QUrl>

class QtDesktopTest : public QObject
{
    Q_OBJECT

public slots:
    // Stands in for the desktop's handler of file URLs.
    void openedUrl(const QUrl &url) { m_opened.append(url.toLocalFile()); }

private:
    QStringList m_opened;

private slots:
    void initTestCase()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openedUrl");
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    }

    void init()
    {
        m_opened.clear();
    }

    void errorAlertShowsTheDescription()
    {
        const QString description = QStringLiteral("ERROR: <b>x.zip</b>\nIs not archive\n");
        const auto box = QtDesktop::errorBox(description);
        QCOMPARE(box->text(), description);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QVERIFY(box->detailedText().isEmpty());
    }

    void errorAlertForAHugeDescriptionStaysBounded()
    {
        QString description;
        for (int i = 0; i < 35'000; ++i)
            description += QStringLiteral("Path = member-%1.txt\n").arg(i);
        description += QStringLiteral("Errors: 1\n");
        const auto box = QtDesktop::errorBox(description);
        QVERIFY(box->text().size() <= 4000);
        QVERIFY(box->text().endsWith(QStringLiteral("Errors: 1")));
        // The details view drops the final line break.
        QCOMPARE(box->detailedText().trimmed(), description.trimmed());
    }

    void plainAlerts()
    {
        const auto warning = QtDesktop::alertBox(Desktop::AlertStyle::Warning, QStringLiteral("Unsafe archive paths detected"),
                                                 QStringLiteral("Corvex found 2 item(s) that may write outside the destination."));
        QCOMPARE(warning->icon(), QMessageBox::Warning);
        QCOMPARE(warning->informativeText(), QStringLiteral("Corvex found 2 item(s) that may write outside the destination."));

        const auto info = QtDesktop::alertBox(Desktop::AlertStyle::Informational, QStringLiteral("Done"), QStringLiteral("<i>"));
        QCOMPARE(info->icon(), QMessageBox::Information);
        // Markup-looking text is escaped, so it reads literally.
        QVERIFY(info->informativeText().contains(QStringLiteral("&lt;i&gt;")));
    }

    void savePanelSuffix_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("answered");
        QTest::newRow("missing") << "/a/b" << "/a/b.zip";
        QTest::newRow("present") << "/a/b.zip" << "/a/b.zip";
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

    void openHandsTheFileToTheDesktop()
    {
        QtDesktop desktop;
        desktop.open(QStringLiteral("/srv/a b/#1.txt"));
        QCOMPARE(m_opened, QStringList{QStringLiteral("/srv/a b/#1.txt")});
    }
};

int main(int argc, char **argv)
{
    // Never reach a real file manager.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/corvex-test-bus");
    QApplication application(argc, argv);
    QtDesktopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "QtDesktopTest.moc"
