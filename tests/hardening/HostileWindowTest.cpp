// Every hostile archive extracted through the window, the way a user would:
// loaded, then Extract with a folder chosen in the panel. The window has no
// screen of its own, so what protects each case is the tool's guards; the
// whole temporary root is compared before and after.
#include "CorvexController.h"
#include "HostileCorpus.h"

#include <QDir>
#include <QLabel>
#include <QTest>
#include <QThreadPool>

class HostileWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(m_corpus.build(), qPrintable(m_corpus.error)); }

    void extract_data()
    {
        QTest::addColumn<QString>("name");
        for (const hostile::Case &c : m_corpus.cases)
            QTest::newRow(qPrintable(c.name)) << c.name;
    }

    void extract()
    {
        QFETCH(QString, name);
        const hostile::Case &c = *m_corpus.find(name);
        const QString destination = m_corpus.root.filePath(QStringLiteral("cases/") + name + QStringLiteral("/window/dest"));
        QVERIFY(QDir().mkpath(destination));

        ArchiveEngine engine(QStringLiteral(CORVEX_RESOURCE_DIR));
        FakeDesktop desktop;
        CorvexController controller(engine, desktop);
        controller.loadArchive(c.archive);
        if (c.window == QLatin1String("not loaded")) {
            QTRY_COMPARE_WITH_TIMEOUT(desktop.kinds(), QStringList{QStringLiteral("error")}, 30000);
            QVERIFY(controller.archivePath().isEmpty());
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(controller.archivePath(), c.archive, 30000);

        const hostile::Snapshot before = hostile::snapshot(m_corpus.root.path());
        desktop.queueOpenPanelAnswer({destination});
        controller.extractArchive();
        QTRY_VERIFY_WITH_TIMEOUT(!hostile::outcome(desktop).startsWith(QLatin1String("nothing")), 60000);
        QThreadPool::globalInstance()->waitForDone();
        const hostile::Snapshot after = hostile::snapshot(m_corpus.root.path());

        const QString got = hostile::outcome(desktop);
        QVERIFY2(got == c.window, qPrintable(QStringLiteral("%1: window %2, expected %3 (%4)")
                                                 .arg(name, got, c.window, c.guard)));
        if (got == QLatin1String("extracted"))
            QCOMPARE(controller.window()->findChild<QLabel *>(QStringLiteral("statusLabel"))->text(),
                     QStringLiteral("Extracted to ") + destination);

        const QStringList outside = hostile::changesOutside(before, after, destination);
        QVERIFY2(outside.isEmpty(), qPrintable(outside.join(QLatin1Char('\n'))));
        const QStringList links = hostile::linksLeadingOut(after, destination);
        QVERIFY2(links.isEmpty(), qPrintable(links.join(QLatin1Char('\n'))));
        const QStringList special = hostile::specialFilesInside(after, destination);
        QVERIFY2(special.isEmpty(), qPrintable(special.join(QLatin1Char('\n'))));
        const QStringList above = hostile::escapesAbove(m_corpus.root.path(), m_corpus.escape);
        QVERIFY2(above.isEmpty(), qPrintable(above.join(QLatin1Char('\n'))));
        // Where the tool's own guard is what protects, its effect is visible
        // inside: stripped names, literal backslashes, a "C:" folder.
        for (const std::string &path : c.inside)
            QVERIFY2(hostile::exists(destination, path), path.c_str());
    }

private:
    hostile::Corpus m_corpus;
};

QTEST_MAIN(HostileWindowTest)
#include "HostileWindowTest.moc"
