// Every hostile archive through the command-line mode, Extract Here and Extract to Folder, in-process with a
// recording desktop; then several archives at once, and Compress to ZIP beside what exists. Anything but an
// extraction leaves the file system exactly as it was; an extraction writes only inside its destination.
#include "engine/ArchiveEngine.h"
#include "engine/FileNames.h"
#include "app/CommandLineMode.h"
#include "HostileCorpus.h"

#include <QFileInfo>

class HostileCommandLineTest : public QObject
{
    Q_OBJECT

    // Copies of the archives in a new folder, private as a destination can be; what is no file stays put.
    QStringList place(const QString &folder, const QStringList &archives)
    {
        QStringList placed;
        hostile::privateFolder(folder);
        for (const QString &archive : archives) {
            placed.append(QFileInfo(archive).isFile() ? folder + QLatin1Char('/') + QFileInfo(archive).fileName() : archive);
            QFile::copy(archive, placed.last());
        }
        return placed;
    }

    static std::optional<int> handle(const QString &option, const QStringList &items, FakeDesktop &desktop)
    {
        return CommandLineMode::handleCommandLine(QStringList{QStringLiteral("corvex"), option} + items,
                                                  ArchiveEngine(QStringLiteral(CORVEX_RESOURCE_DIR)), desktop);
    }

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
        const QStringList archive = place(folder, {c.archive});
        FakeDesktop desktop;
        hostile::prepare(c, folder, desktop);
        const QString ownFolder = intoFolder ? FileNames::extractFolderFor(archive.first()) : folder;

        const hostile::Snapshot before = hostile::snapshot(m_corpus.root.path());
        const std::optional<int> status = handle(intoFolder ? QStringLiteral("-corvexextractfolder")
                                                            : QStringLiteral("-corvexextracthere"), archive, desktop);
        const hostile::Snapshot after = hostile::snapshot(m_corpus.root.path());
        const QString got = hostile::outcome(desktop);
        const QString expected = intoFolder ? c.folder : c.here;
        QVERIFY2(got == expected, qPrintable(QStringLiteral("%1, expected %2 (%3)").arg(got, expected, c.guard)));
        QCOMPARE(status, got == QLatin1String("extracted") ? 0 : 1);

        QStringList problems = hostile::changedKept(c, folder, before, after);
        if (got == QLatin1String("extracted")) {
            // Extract to Folder may have taken the next free name: the reveal says which.
            const QStringList revealed = desktop.calls.last().values;
            QCOMPARE(revealed.size(), 1);
            QVERIFY(intoFolder ? revealed.first().startsWith(ownFolder) : revealed.first() == folder);
            problems += m_corpus.problems(before, after, revealed.first(), archive.first());
        } else {
            // Nothing changed; a folder made for Extract to Folder went again, which only its parent's times show.
            const bool made = intoFolder && !before.count(hostile::bytes(ownFolder));
            problems += m_corpus.problems(before, after, (made ? folder : m_corpus.root.path()) + QStringLiteral("/-"));
        }
        HOSTILE_CLEAN(problems);
    }

    // One refused, one failed, one not an archive among them: the others are extracted all the same, one alert
    // names the three, one reveal shows the rest.
    void severalArchives()
    {
        const QStringList archives = place(m_corpus.root.filePath(QStringLiteral("cases/several")),
                                           {m_corpus.named("zip-two-dots-in-names").archive, m_corpus.named("zip-absolute").archive,
                                            m_corpus.named("zip-duplicates").archive, m_corpus.named("fifo-as-archive").archive,
                                            m_corpus.named("tar-invalid-utf8-safe").archive});
        FakeDesktop desktop;
        const hostile::Snapshot before = hostile::snapshot(m_corpus.root.path());
        QCOMPARE(handle(QStringLiteral("-corvexextractfolder"), archives, desktop), 1);
        const hostile::Snapshot after = hostile::snapshot(m_corpus.root.path());

        QCOMPARE(desktop.kinds(), (QStringList{QStringLiteral("reveal"), QStringLiteral("errorReport")}));
        const QStringList folders{FileNames::extractFolderFor(archives[0]), FileNames::extractFolderFor(archives[4])};
        QCOMPARE(desktop.calls[0].values, folders);
        const QStringList sentences = desktop.calls[1].values.first().split(QLatin1Char('\n'));
        QCOMPARE(sentences.size(), 3);
        QVERIFY2(sentences[0].startsWith(QStringLiteral("“absolute.zip”: Corvex found 1 item(s) that may write outside"))
                     && sentences[1].contains(QLatin1String("duplicates.zip")) && sentences[2].contains(QLatin1String("pipe.zip")),
                 qPrintable(sentences.join(QLatin1Char('|'))));
        // But the two new folders, nothing changed, the archives neither: only their folder's times.
        hostile::Snapshot rest = after;
        std::erase_if(rest, [&](const auto &item) {
            return hostile::isUnder(item.first, hostile::bytes(folders[0])) || hostile::isUnder(item.first, hostile::bytes(folders[1]));
        });
        QVERIFY(QFileInfo(folders[1]).isDir());
        HOSTILE_CLEAN(m_corpus.problems(before, rest, QFileInfo(archives[0]).path() + QStringLiteral("/-")));
    }

    // Compress to ZIP takes the next free name: what has the name stays as it is, a link and its target too.
    void compressBesideWhatExists()
    {
        const std::string victim = hostile::bytes(m_corpus.root.filePath(QStringLiteral("outside/victim.txt")));
        const std::optional<std::string> existing[] = {"old", "->" + victim, "->nowhere", std::nullopt};
        for (size_t i = 0; i < std::size(existing); ++i) {
            const QString folder = hostile::privateFolder(m_corpus.root.filePath(QStringLiteral("cases/compress/%1").arg(i)));
            hostile::Case c;
            c.setup = {{"notes.txt", "notes"}, {"notes.zip", existing[i]}};
            FakeDesktop desktop;
            hostile::prepare(c, folder, desktop);
            const hostile::Snapshot before = hostile::snapshot(m_corpus.root.path());
            QCOMPARE(handle(QStringLiteral("-add2archive"), {folder + QStringLiteral("/notes.txt")}, desktop), 0);
            const QString zip = folder + QStringLiteral("/notes 2.zip");
            QCOMPARE(desktop.calls.last().values, QStringList{zip});
            QVERIFY(QFileInfo(zip).isFile());
            HOSTILE_CLEAN(m_corpus.problems(before, hostile::snapshot(m_corpus.root.path()), zip));
        }
    }

private:
    hostile::Corpus m_corpus;
};

QTEST_GUILESS_MAIN(HostileCommandLineTest)
#include "HostileCommandLineTest.moc"
