#include "../TestSupport.h"
#include "AppDelegate.h"
#include "CorvexController.h"
#include "FakeDesktop.h"

#include <QApplication>
#include <QWidget>

using namespace test_support;

namespace {

const QString program = QStringLiteral("/usr/bin/corvex");

int visibleWindows()
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        count += widget->isVisible();
    return count;
}

} // namespace

class AppDelegateTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_zip;

    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_zip = path("archive.zip");
        QVERIFY(writeFile(path("src/member.txt"), "m"));
        QVERIFY(makeZip(m_zip, path("src"), {"member.txt"}));
    }

    void cleanup()
    {
        QCOMPARE(visibleWindows(), 0);
    }

    void engineMissing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no options") << QStringList{program};
        QTest::newRow("with an option") << QStringList{program, "-corvexextracthere", m_zip};
    }

    void engineMissing()
    {
        QFETCH(QStringList, arguments);
        QTemporaryDir noTool;
        FakeDesktop desktop;
        AppDelegate delegate(desktop, noTool.path(), arguments);
        QCOMPARE(delegate.start(), AppDelegate::Outcome::engineMissing);
        QCOMPARE(desktop.kinds(), QStringList{"error"});
        QCOMPARE(desktop.calls.first().values, QStringList{"Corvex's archive engine is missing."});
        QVERIFY(!delegate.controller());
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
        QVERIFY(!QFileInfo::exists(path("member.txt")));
    }

    void commandLineModeHandlesTheInvocation()
    {
        FakeDesktop desktop;
        AppDelegate delegate(desktop, kResources, {program, "-CorvexExtractFolder", m_zip});
        QCOMPARE(delegate.start(), AppDelegate::Outcome::handledByCommandLine);
        QVERIFY(QFileInfo::exists(path("archive/member.txt")));
        QCOMPARE(desktop.kinds(), QStringList{"reveal"});
        QVERIFY(!delegate.controller());
        // No window was ever made, not even a hidden one.
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void otherwiseTheWindowOpens_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no options") << QStringList{program};
        QTest::newRow("unknown option") << QStringList{program, "-open", m_zip};
        QTest::newRow("option without items") << QStringList{program, "-add2archive"};
        QTest::newRow("two paths") << QStringList{program, m_zip, m_zip};
    }

    void otherwiseTheWindowOpens()
    {
        QFETCH(QStringList, arguments);
        FakeDesktop desktop;
        AppDelegate delegate(desktop, kResources, arguments);
        QCOMPARE(delegate.start(), AppDelegate::Outcome::windowShown);
        QVERIFY(delegate.controller());
        QWidget *window = delegate.controller()->window();
        QVERIFY(window->isVisible());
        QCOMPARE(visibleWindows(), 1);
        QVERIFY(desktop.calls.isEmpty());
        QTest::qWait(50);
        QVERIFY(delegate.controller()->archivePath().isEmpty());
        window->close();
    }

    void aLonePathOpensThatArchive()
    {
        FakeDesktop desktop;
        QDir::setCurrent(m_dir.path());
        AppDelegate delegate(desktop, kResources, {program, "archive.zip"});
        QCOMPARE(delegate.start(), AppDelegate::Outcome::windowShown);
        QTRY_COMPARE(delegate.controller()->archivePath(), m_zip);
        QCOMPARE(delegate.controller()->entries().size(), size_t(1));
        delegate.controller()->window()->close();
    }
};

QTEST_MAIN(AppDelegateTest)
#include "AppDelegateTest.moc"
