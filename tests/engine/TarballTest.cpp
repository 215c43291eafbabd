#include "../TestSupport.h"
#include "engine/FailureReport.h"
#include "engine/OperationJob.h"
#include "engine/TarProbe.h"

using namespace test_support;

Q_DECLARE_METATYPE(OperationKind)

class TarballTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(runTool({CORVEX_TEST_SCRIPTS "/make_tarballs.py", m_dir.path()}, QString(), "python3"));
        // A text named as a tar, zeros named as nothing in particular.
        QVERIFY(QFile::copy(m_dir.filePath("notes.txt.gz"), m_dir.filePath("notes.tar.gz"))
                && QFile::copy(m_dir.filePath("empty.tar.gz"), m_dir.filePath("zeros.gz")));
    }

    // From the first block the tool decompresses, and the name.
    void detection_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("tar");
        for (const QString maker : {"python", "gnu"}) {
            for (const QString extension : {"gz", "xz", "bz2", "zst", "Z", "lzma"})
                QTest::newRow(qPrintable(maker + ".tar." + extension)) << maker + ".tar." + extension << true;
        }
        for (const char *name : {"backup.gz", "release.tar.gz.1", "old.bz2", "empty.tar.gz", "short.tar.zst",
                                 "truncated.tar.gz", "damaged-inner.tar.gz"})
            QTest::newRow(name) << QString(name) << true;
        for (const char *name : {"notes.txt.gz", "notes.tar.gz", "zeros.gz", "digits.gz"})
            QTest::newRow(name) << QString(name) << false;
    }
    void detection()
    {
        QFETCH(QString, name);
        QTEST(TarProbe::holdsTar(TarProbe::firstBlock(kTool, m_dir.filePath(name)), m_dir.filePath(name)), "tar");
    }

    // What each operation gives: the tree's members (listed with no packed
    // size, or extracted), one member, or the failure's sentence.
    void operations_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<OperationKind>("kind");
        QTest::addColumn<QString>("expected");
        const QString tree = test_support::tree(m_dir.filePath("tree")).join('|'), damaged = "damaged or incomplete";
        for (const QString name : {"python.tar.gz", "gnu.tar.xz", "python.tar.bz2", "gnu.tar.zst", "gnu.tar.Z",
                                   "python.tar.lzma", "backup.gz"}) {
            QTest::newRow(qPrintable("list " + name)) << name << OperationKind::List << "ok|" + tree;
            QTest::newRow(qPrintable("extract " + name)) << name << OperationKind::Extract << tree;
            QTest::newRow(qPrintable("test " + name)) << name << OperationKind::Test << "ok";
        }
        QTest::newRow("list notes.txt.gz") << "notes.txt.gz" << OperationKind::List << "notes.txt";
        QTest::newRow("extract empty.tar.gz") << "empty.tar.gz" << OperationKind::Extract << "is empty";
        // ARCHIVE:MEMBER extracts that member.
        QTest::newRow("selected") << "gnu.tar.xz:top/d.bin" << OperationKind::Extract << "top|top/d.bin";
        QTest::newRow("selected, none") << "gnu.tar.xz:top/no" << OperationKind::Extract << "None of the chosen";
        for (const char *name : {"truncated.tar.gz", "damaged-inner.tar.gz", "short.tar.zst"}) {
            for (const OperationKind kind : {OperationKind::List, OperationKind::Extract, OperationKind::Test})
                QTest::newRow(qPrintable(QString("%1 %2").arg(int(kind)).arg(name))) << name << kind << damaged;
        }
    }
    void operations()
    {
        QFETCH(QString, name);
        QFETCH(OperationKind, kind);
        OperationRequest request;
        request.kind = kind, request.archive = m_dir.filePath(name.section(':', 0, 0)), request.ownFolder = true;
        request.members = name.split(':').mid(1);
        OperationJob job;
        const Outcome outcome = ArchiveEngine(kResources).execute(request, job);
        QStringList got{outcome.succeeded() ? "ok" : FailureReport::from(request, outcome).message};
        if (outcome.succeeded() && kind == OperationKind::Extract)
            got = tree(outcome.path), QDir(outcome.path).removeRecursively();
        for (const ArchiveEntry &entry : outcome.entries)
            got.append(entry.path() + entry.packed());
        got.sort();
        QFETCH(QString, expected);
        QVERIFY2(got.join('|').contains(expected), qPrintable(got.join('|')));
    }
};

QTEST_GUILESS_MAIN(TarballTest)
#include "TarballTest.moc"
