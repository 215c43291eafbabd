#include "../TestSupport.h"
#include "app/Startup.h"
#include "app/StartArguments.h"
#include "ui/CorvexController.h"
#include "platform/FakeDesktop.h"

#include <QApplication>
#include <QThreadPool>
#include <QWidget>

using namespace test_support;
using StartOutcome = Startup::Outcome;

class StartupTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    const QString m_program = QStringLiteral("/usr/bin/corvex");
    QString m_zip;

    static int visibleWindows()
    {
        int count = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            count += widget->isVisible();
        return count;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_zip = m_dir.filePath("archive.zip");
        QVERIFY(writeFile(m_dir.filePath("src/member.txt"), "m"));
        QVERIFY(makeZip(m_zip, m_dir.filePath("src"), {"member.txt"}));
        QDir::setCurrent(m_dir.path());
    }

    void start_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("withEngine");
        QTest::addColumn<StartOutcome>("outcome");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("loaded");
        const QStringList error{"error"};
        QTest::newRow("no engine") << QStringList{m_program} << false << StartOutcome::EngineMissing << error << "";
        QTest::newRow("no engine, option")
            << QStringList{m_program, "-corvexextracthere", m_zip} << false << StartOutcome::EngineMissing << error << "";
        QTest::newRow("option failed") << QStringList{m_program, "-corvexextracthere", "missing.zip"} << true
                                       << StartOutcome::CommandLineFailed << QStringList{"errorReport"} << "";
        QTest::newRow("option handled") << QStringList{m_program, "-CorvexExtractFolder", m_zip} << true
                                        << StartOutcome::HandledByCommandLine << QStringList{"reveal"} << "";
        QTest::newRow("no options") << QStringList{m_program} << true << StartOutcome::WindowShown << QStringList() << "";
        QTest::newRow("unknown option")
            << QStringList{m_program, "-open", m_zip} << true << StartOutcome::WindowShown << QStringList() << "";
        QTest::newRow("option without items")
            << QStringList{m_program, "-add2archive"} << true << StartOutcome::WindowShown << QStringList() << "";
        // Open With passes the whole selection: the first file opens.
        QTest::newRow("several paths") << QStringList{m_program, m_dir.path(), "archive.zip", m_zip} << true
                                       << StartOutcome::WindowShown << QStringList() << m_zip;
        QTest::newRow("a lone relative path")
            << QStringList{m_program, "archive.zip"} << true << StartOutcome::WindowShown << QStringList() << m_zip;
    }

    void start()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, withEngine);
        QFETCH(StartOutcome, outcome);
        QFETCH(QStringList, calls);
        QFETCH(QString, loaded);
        QTemporaryDir noTool;
        FakeDesktop desktop;
        Startup delegate(desktop, withEngine ? kResources : noTool.path(), arguments);
        QCOMPARE(delegate.start(), outcome);
        QVERIFY(!QFileInfo::exists(m_dir.filePath("member.txt")));
        if (outcome != StartOutcome::WindowShown) {
            QCOMPARE(desktop.kinds(), calls);
            QVERIFY(!delegate.controller());
            // No window was ever made, not even a hidden one.
            QVERIFY(QApplication::topLevelWidgets().isEmpty());
            QCOMPARE(QFileInfo::exists(m_dir.filePath("archive/member.txt")), outcome == StartOutcome::HandledByCommandLine);
            return;
        }
        QCOMPARE(visibleWindows(), 1);
        // Any load the start began has ended and reported before the window is looked at.
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(desktop.kinds(), calls);
        QCOMPARE(delegate.controller()->archivePath(), loaded);
        QCOMPARE(delegate.controller()->entries().size(), size_t(loaded.isEmpty() ? 0 : 1));
        delegate.controller()->window()->close();
        QCOMPARE(visibleWindows(), 0);
    }

    void startArgumentsKeepEveryItemAndFlagNonUtf8()
    {
        const char *const argv[] = {"/opt/caf\xe9/corvex", "-add2archive", "-platform", "caf\xe9.txt", "ü.txt"};
        const StartArguments start(5, argv);
        QCOMPARE(start.arguments().mid(1), (QStringList{"-add2archive", "-platform", "caf\uFFFD.txt", "ü.txt"}));
        QCOMPARE(start.unreadable(), QStringList{"caf\uFFFD.txt"});
        QVERIFY(start.refusalMessage().contains(QStringLiteral("caf\uFFFD.txt")));
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
