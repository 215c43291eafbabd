#include "../TestSupport.h"
#include "app/Startup.h"
#include "app/StartArguments.h"
#include "ui/CorvexController.h"
#include "platform/FakeDesktop.h"

#include <QApplication>
#include <QThreadPool>

using namespace test_support;
using StartOutcome = Startup::Outcome;

class StartupTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    const QString m_program = QStringLiteral("/usr/bin/corvex");
    QString m_zip;

private slots:
    void initTestCase()
    {
        m_zip = m_dir.filePath("archive.zip");
        QVERIFY(writeFile(m_dir.filePath("src/member.txt"), "m") && makeZip(m_zip, m_dir.filePath("src"), {"member.txt"}));
        QDir::setCurrent(m_dir.path());
    }

    void start_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<StartOutcome>("outcome");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("no engine") << QStringList{m_program, "-corvexextracthere", m_zip}
                                   << StartOutcome::engineMissing << QStringList{"error"} << "";
        QTest::newRow("option handled") << QStringList{m_program, "-CorvexExtractFolder", m_zip}
                                        << StartOutcome::handledByCommandLine << QStringList{"reveal"} << "";
        QTest::newRow("unknown option")
            << QStringList{m_program, "-open", m_zip} << StartOutcome::windowShown << QStringList() << "";
        // Open With passes the whole selection: the first file opens.
        QTest::newRow("several paths") << QStringList{m_program, m_dir.path(), "archive.zip", m_zip}
                                       << StartOutcome::windowShown << QStringList() << m_zip;
    }

    void start()
    {
        QFETCH(QStringList, arguments);
        QFETCH(StartOutcome, outcome);
        QFETCH(QStringList, calls);
        QFETCH(QString, loaded);
        FakeDesktop desktop;
        Startup delegate(desktop, outcome != StartOutcome::engineMissing ? kResources : m_dir.filePath("none"), arguments);
        QCOMPARE(delegate.start(), outcome);
        QVERIFY(!QFileInfo::exists(m_dir.filePath("member.txt")));
        if (outcome != StartOutcome::windowShown) {
            QVERIFY(desktop.kinds() == calls && !delegate.controller());
            // No window was ever made, not even a hidden one.
            QVERIFY(QApplication::topLevelWidgets().isEmpty());
            QCOMPARE(QFileInfo::exists(m_dir.filePath("archive/member.txt")), outcome == StartOutcome::handledByCommandLine);
            return;
        }
        // Any load the start began has ended and reported before the window is looked at.
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(desktop.kinds(), calls);
        QCOMPARE(delegate.controller()->archivePath(), loaded);
    }

    void startArgumentsKeepEveryItemAndFlagNonUtf8()
    {
        const char *const argv[] = {"/opt/caf\xe9/corvex", "-add2archive", "-platform", "caf\xe9.txt", "ü.txt"};
        const StartArguments start(5, argv);
        QCOMPARE(start.arguments().mid(1), (QStringList{"-add2archive", "-platform", "caf\uFFFD.txt", "ü.txt"}));
        QCOMPARE(start.unreadable(), QStringList{"caf\uFFFD.txt"});
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
