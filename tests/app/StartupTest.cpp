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

    void start()
    {
        const struct { QStringList arguments; StartOutcome outcome; QString loaded; } cases[] = {
            {{m_program, "-corvexextracthere", m_zip}, StartOutcome::EngineMissing, ""},
            {{m_program, "-CorvexExtractFolder", m_zip}, StartOutcome::HandledByCommandLine, ""},
            {{m_program, "-open", m_zip}, StartOutcome::WindowShown, ""},
            // Open With passes the whole selection: the first file opens.
            {{m_program, m_dir.path(), "archive.zip", m_zip}, StartOutcome::WindowShown, m_zip},
        };
        for (const auto &c : cases) {
            FakeDesktop desktop;
            Startup delegate(desktop, c.outcome != StartOutcome::EngineMissing ? kResources : m_dir.filePath("none"), c.arguments);
            QCOMPARE(delegate.start(), c.outcome);
            QVERIFY(!QFileInfo::exists(m_dir.filePath("member.txt")));
            if (c.outcome != StartOutcome::WindowShown) {
                // The error or the reveal only; no window was ever made, not even a hidden one.
                QCOMPARE(desktop.kinds(), QStringList{c.outcome == StartOutcome::EngineMissing ? "error" : "reveal"});
                QVERIFY(!delegate.controller() && QApplication::topLevelWidgets().isEmpty());
                QCOMPARE(QFileInfo::exists(m_dir.filePath("archive/member.txt")), c.outcome == StartOutcome::HandledByCommandLine);
                continue;
            }
            // Any load the start began has ended and reported before the window is looked at.
            QThreadPool::globalInstance()->waitForDone();
            QCoreApplication::sendPostedEvents();
            QVERIFY(desktop.calls.isEmpty());
            QCOMPARE(delegate.controller()->archivePath(), c.loaded);
        }
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
