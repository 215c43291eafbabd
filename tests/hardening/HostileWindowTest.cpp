// Every hostile archive extracted through the window as a user would: loaded, then Extract into a folder
// chosen in the panel; then an archive replaced between loading and extracting. The window screens like the
// command line, and the file extracted must be the file screened.
#include "ui/CorvexController.h"
#include "HostileCorpus.h"

#include <QLabel>
#include <QThreadPool>

class HostileWindowTest : public QObject
{
    Q_OBJECT

    // Extract with `folder` chosen in the panel; what the desktop saw. A question answered is followed by
    // more: only an outcome other than that is the end.
    static QString extract(CorvexController &controller, FakeDesktop &desktop, const QString &folder,
                           const QString &expected)
    {
        desktop.queueChosenFiles({folder});
        controller.extractArchive();
        (void)QTest::qWaitFor([&] {
            const QString got = hostile::outcome(desktop);
            return got == expected || !(got.startsWith(QLatin1String("nothing")) || got == QLatin1String("asked"));
        }, 60000);
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
        return hostile::outcome(desktop);
    }

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
        const QString folder = hostile::privateFolder(m_corpus.root.filePath(QStringLiteral("cases/window/") + c.name));
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
        hostile::prepare(c, folder, desktop);

        const hostile::Snapshot before = hostile::snapshot(m_corpus.root.path());
        const QString got = extract(controller, desktop, folder, c.window);
        const hostile::Snapshot after = hostile::snapshot(m_corpus.root.path());
        QVERIFY2(got == c.window, qPrintable(QStringLiteral("%1, expected %2 (%3)").arg(got, c.window, c.guard)));
        const bool extracted = got == QLatin1String("extracted");
        HOSTILE_CLEAN(m_corpus.problems(before, after, extracted ? folder : folder + QStringLiteral("/-"))
                      + hostile::changedKept(c, folder, before, after));
        if (!extracted)
            return;
        QCOMPARE(controller.window()->findChild<QLabel *>(QStringLiteral("statusLabel"))->text(),
                 QStringLiteral("Extracted to ") + folder);
        // Where the tool's guard protects, its effect shows: stripped names, literal backslashes, a "C:" folder.
        for (const std::string &path : c.inside)
            QVERIFY2(hostile::typeOf(folder, path) != hostile::fs::file_type::not_found, path.c_str());
        for (const std::string &path : c.noLink)
            QVERIFY2(hostile::typeOf(folder, path) != hostile::fs::file_type::symlink, path.c_str());
    }

    // Loaded and screened, then replaced by a hostile archive under the same name: the listing the window has
    // is not the file's, so the file is screened again and refused.
    void archiveReplacedAfterLoading()
    {
        const QString folder = hostile::privateFolder(m_corpus.root.filePath(QStringLiteral("cases/window/replaced")));
        const QString archive = folder + QStringLiteral("/../replaced.zip");
        QVERIFY(QFile::copy(m_corpus.named("zip-two-dots-in-names").archive, archive));
        ArchiveEngine engine(QStringLiteral(CORVEX_RESOURCE_DIR));
        FakeDesktop desktop;
        CorvexController controller(engine, desktop);
        controller.loadArchive(archive);
        QTRY_COMPARE_WITH_TIMEOUT(controller.archivePath(), archive, 30000);
        QVERIFY(QFile::copy(m_corpus.named("zip-absolute").archive, archive + QStringLiteral(".new"))
                && std::rename(qPrintable(archive + QStringLiteral(".new")), qPrintable(archive)) == 0);

        const hostile::Snapshot before = hostile::snapshot(m_corpus.root.path());
        QCOMPARE(extract(controller, desktop, folder, QStringLiteral("refused")), QStringLiteral("refused"));
        HOSTILE_CLEAN(m_corpus.problems(before, hostile::snapshot(m_corpus.root.path()), folder + QStringLiteral("/-")));
    }

private:
    hostile::Corpus m_corpus;
};

QTEST_MAIN(HostileWindowTest)
#include "HostileWindowTest.moc"
