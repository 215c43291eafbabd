#include "../TestSupport.h"
#include "engine/TarProbe.h"

using namespace test_support;

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
};

QTEST_GUILESS_MAIN(TarballTest)
#include "TarballTest.moc"
