#include "engine/ArchiveFormats.h"
#include "engine/ToolPlans.h"
#include "../TestSupport.h"

class ArchiveFormatsTest : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    // The signature decides before the name; the name only without one.
    void identify_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QString>("described");
        QTest::newRow("7z named .zip") << "a.zip" << QByteArray("7z\xBC\xAF\x27\x1C\0\4", 8) << "a 7z archive";
        QTest::newRow("tar, any name") << "a.dat" << QByteArray(257, '\0') + "ustar" << "a tar archive";
        QTest::newRow("ISO at 32 KiB") << "disc.bin" << QByteArray(32769, '\0') + "CD001" << "an ISO image";
        QTest::newRow("name in capitals") << "x.TGZ" << QByteArray("junk") << "a gzip file";
        QTest::newRow("empty") << "x.xz" << QByteArray() << "an xz file";
        QTest::newRow("unknown") << "notes.txt" << QByteArray("hello") << "an archive of this kind";
    }

    void identify()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, head);
        QFETCH(QString, described);
        QVERIFY(test_support::writeFile(m_dir.filePath(name), head));
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(ArchiveFormats::described(ArchiveFormats::identify(file.fileName(), file.handle())), described);
    }

    // A name that looks like a switch or a pattern stays a name: every plan
    // reads names literally, after "--".
    void plansKeepNamesLiteral_data()
    {
        QTest::addColumn<QStringList>("arguments");
        const ToolPlans plans(QStringLiteral("/bin"));
        const QString name = QStringLiteral("-rf *.zip");
        QTest::newRow("list") << plans.list(ArchiveFormats::other(), name).stages.front().arguments;
        QTest::newRow("test") << plans.test(ArchiveFormats::other(), name).stages.front().arguments;
        QTest::newRow("extract") << plans.extract(ArchiveFormats::other(), name, "/x", "/m").stages.front().arguments;
        QTest::newRow("create") << plans.createZip(name, {"-p"}, true).stages.front().arguments;
    }

    void plansKeepNamesLiteral()
    {
        QFETCH(QStringList, arguments);
        const qsizetype end = arguments.indexOf(QStringLiteral("--"));
        QVERIFY(arguments.contains(QStringLiteral("-spd")));
        QVERIFY(end >= 0 && arguments.indexOf(QStringLiteral("-rf *.zip")) > end);
    }

    void refusalNamesTheFormat()
    {
        const ArchiveFormat &zstd = ArchiveFormats::byExtension(QStringLiteral("x.zst"));
        QCOMPARE(ArchiveFormats::refusal(zstd, Capability::Create), QString("Corvex can't create a Zstandard file."));
        QVERIFY(ArchiveFormats::refusal(zstd, Capability::Extract).isEmpty());
    }
};

QTEST_GUILESS_MAIN(ArchiveFormatsTest)
#include "ArchiveFormatsTest.moc"
