// Every hostile archive through the command-line mode, Extract Here and Extract to Folder, in-process with a
// recording desktop. A refused archive leaves the file system exactly as it was; any other writes only inside.
#include "engine/ArchiveEngine.h"
#include "app/CommandLineMode.h"
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
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("intoFolder");
        for (size_t i = 0; i < m_corpus.cases.size(); ++i) {
            QTest::newRow(qPrintable(m_corpus.cases[i].name + QStringLiteral(" here"))) << int(i) << false;
            QTest::newRow(qPrintable(m_corpus.cases[i].name + QStringLiteral(" folder"))) << int(i) << true;
        }
    }

    void extract()
    {
        QFETCH(int, index);
        QFETCH(bool, intoFolder);
        const hostile::Case &c = m_corpus.cases[size_t(index)];
        // The archive alone in its own folder, which Extract Here fills.
        const QString folder = m_corpus.root.filePath(QStringLiteral("cases/%1/%2").arg(c.name, intoFolder ? "folder" : "here"));
        const QString archive = folder + QLatin1Char('/') + QFileInfo(c.archive).fileName();
        QVERIFY(QDir().mkpath(folder) && QFile::copy(c.archive, archive));
        const QString destination = intoFolder ? CommandLineMode::extractFolderFor(archive) : folder;

        ArchiveEngine engine(QStringLiteral(CORVEX_RESOURCE_DIR));
        FakeDesktop desktop;
        const hostile::Snapshot before = hostile::snapshot(m_corpus.root.path());
        const QString option = intoFolder ? QStringLiteral("-corvexextractfolder") : QStringLiteral("-corvexextracthere");
        QVERIFY(CommandLineMode::handleCommandLine({QStringLiteral("corvex"), option, archive}, engine, desktop));
        const hostile::Snapshot after = hostile::snapshot(m_corpus.root.path());
        const QStringList problems = m_corpus.problems(before, after, destination, archive);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));

        const QString got = hostile::outcome(desktop);
        QVERIFY2(got == c.cli, qPrintable(QStringLiteral("command line %1, expected %2 (%3)").arg(got, c.cli, c.guard)));
        // Refused: nothing created, not even the folder of Extract to Folder.
        QVERIFY(got != QLatin1String("refused") || before == after);
        if (got == QLatin1String("extracted"))
            QCOMPARE(desktop.calls.last().values, QStringList{destination});
    }

private:
    hostile::Corpus m_corpus;
};

QTEST_GUILESS_MAIN(HostileCommandLineTest)
#include "HostileCommandLineTest.moc"
