// Every hostile archive extracted through the window as a user would: loaded, then Extract into a folder
// chosen in the panel. The window has no screen of its own, so the tool's guards are what protect it.
#include "ui/CorvexController.h"
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
        QTest::addColumn<int>("index");
        for (size_t i = 0; i < m_corpus.cases.size(); ++i)
            QTest::newRow(qPrintable(m_corpus.cases[i].name)) << int(i);
    }

    void extract()
    {
        QFETCH(int, index);
        const hostile::Case &c = m_corpus.cases[size_t(index)];
        const QString destination = m_corpus.root.filePath(QStringLiteral("cases/window/") + c.name);
        QVERIFY(QDir().mkpath(destination));
        ArchiveEngine engine(QStringLiteral(CORVEX_RESOURCE_DIR));
        FakeDesktop desktop;
        CorvexController controller(engine, desktop);
        controller.loadArchive(c.archive);
        if (c.window == QLatin1String("not loaded")) {
            QTRY_COMPARE_WITH_TIMEOUT(desktop.kinds(), QStringList{QStringLiteral("errorReport")}, 30000);
            QVERIFY(controller.archivePath().isEmpty());
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(controller.archivePath(), c.archive, 30000);

        const hostile::Snapshot before = hostile::snapshot(m_corpus.root.path());
        desktop.queueOpenPanelAnswer({destination});
        controller.extractArchive();
        QTRY_VERIFY_WITH_TIMEOUT(!hostile::outcome(desktop).startsWith(QLatin1String("nothing")), 60000);
        QThreadPool::globalInstance()->waitForDone();
        const QStringList problems = m_corpus.problems(before, hostile::snapshot(m_corpus.root.path()), destination);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));

        const QString got = hostile::outcome(desktop);
        QVERIFY2(got == c.window, qPrintable(QStringLiteral("window %1, expected %2 (%3)").arg(got, c.window, c.guard)));
        if (got == QLatin1String("extracted"))
            QCOMPARE(controller.window()->findChild<QLabel *>(QStringLiteral("statusLabel"))->text(),
                     QStringLiteral("Extracted to ") + destination);
        // Where the tool's guard protects, its effect shows: stripped names, literal backslashes, a "C:" folder.
        for (const std::string &path : c.inside)
            QVERIFY2(hostile::typeOf(destination, path) != hostile::fs::file_type::not_found, path.c_str());
        for (const std::string &path : c.noLink)
            QVERIFY2(hostile::typeOf(destination, path) != hostile::fs::file_type::symlink, path.c_str());
    }

private:
    hostile::Corpus m_corpus;
};

QTEST_MAIN(HostileWindowTest)
#include "HostileWindowTest.moc"
