// Every hostile archive through the command-line mode, both Extract Here
// and Extract to Folder, driven in-process with a recording desktop. An
// archive the screen refuses must leave the file system exactly as it was;
// one it lets through may only write inside its destination.
#include "ArchiveEngine.h"
#include "CommandLineMode.h"
#include "HostileCorpus.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

class HostileCommandLineTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(m_corpus.build(), qPrintable(m_corpus.error)); }

    void extract_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("intoFolder");
        for (const hostile::Case &c : m_corpus.cases) {
            QTest::newRow(qPrintable(c.name + QStringLiteral(" here"))) << c.name << false;
            QTest::newRow(qPrintable(c.name + QStringLiteral(" folder"))) << c.name << true;
        }
    }

    void extract()
    {
        QFETCH(QString, name);
        QFETCH(bool, intoFolder);
        const hostile::Case &c = *m_corpus.find(name);
        // The archive alone in its own folder, which Extract Here fills.
        const QString folder = m_corpus.root.filePath(QStringLiteral("cases/%1/%2").arg(name, intoFolder ? "folder" : "here"));
        QVERIFY(QDir().mkpath(folder));
        const QString archive = folder + QLatin1Char('/') + QFileInfo(c.archive).fileName();
        QVERIFY(QFile::copy(c.archive, archive));
        const QString destination = intoFolder ? CommandLineMode::extractFolderFor(archive) : folder;

        ArchiveEngine engine(QStringLiteral(CORVEX_RESOURCE_DIR));
        FakeDesktop desktop;
        const hostile::Snapshot before = hostile::snapshot(m_corpus.root.path());
        const QString option = intoFolder ? QStringLiteral("-corvexextractfolder") : QStringLiteral("-corvexextracthere");
        QVERIFY(CommandLineMode::handleCommandLine({QStringLiteral("corvex"), option, archive}, engine, desktop));
        const hostile::Snapshot after = hostile::snapshot(m_corpus.root.path());

        const QString got = hostile::outcome(desktop);
        QVERIFY2(got == c.cli, qPrintable(QStringLiteral("%1: command line %2, expected %3 (%4)")
                                              .arg(name, got, c.cli, c.guard)));
        if (got == QLatin1String("refused")) {
            // Nothing created, not even the folder of Extract to Folder.
            QVERIFY2(before == after, "a refused archive changed the file system");
        }
        if (got == QLatin1String("extracted"))
            QCOMPARE(desktop.calls.last().values, QStringList{destination});

        const QStringList outside = hostile::changesOutside(before, after, destination, archive);
        QVERIFY2(outside.isEmpty(), qPrintable(outside.join(QLatin1Char('\n'))));
        const QStringList links = hostile::linksLeadingOut(after, destination);
        QVERIFY2(links.isEmpty(), qPrintable(links.join(QLatin1Char('\n'))));
        const QStringList special = hostile::specialFilesInside(after, destination);
        QVERIFY2(special.isEmpty(), qPrintable(special.join(QLatin1Char('\n'))));
        const QStringList above = hostile::escapesAbove(m_corpus.root.path(), m_corpus.escape);
        QVERIFY2(above.isEmpty(), qPrintable(above.join(QLatin1Char('\n'))));
    }

private:
    hostile::Corpus m_corpus;
};

QTEST_GUILESS_MAIN(HostileCommandLineTest)
#include "HostileCommandLineTest.moc"
