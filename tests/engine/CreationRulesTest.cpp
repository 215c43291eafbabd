// The Compress dialog's decisions without widgets: names and formats, what each format refuses, volume sizes,
// and the names Keep Both takes.
#include "engine/CreationRules.h"

#include <QTemporaryDir>
#include <QTest>

#include <fstream>

using F = NewFormat;
namespace CR = CreationRules;

class CreationRulesTest : public QObject
{
    Q_OBJECT
private slots:
    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");   // -1: none known
        QTest::addColumn<QString>("as7z");
        QTest::newRow("tar.xz wins over .xz") << "photos.TAR.XZ" << int(F::TarXz) << "photos.7z";
        QTest::newRow("alias") << "src.tgz" << int(F::TarGz) << "src.7z";
        QTest::newRow("plain tar") << "a.b.tar" << int(F::Tar) << "a.b.7z";
        QTest::newRow("unknown kept") << "notes.v2" << -1 << "notes.v2.7z";
        QTest::newRow("only an extension") << ".zip" << -1 << ".zip.7z";
        QTest::newRow("bare gz is not ours") << "log.gz" << -1 << "log.gz.7z";
    }
    void names()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        QCOMPARE(int(CR::formatOfName(name).value_or(F(-1))), format);
        QFETCH(QString, as7z);
        QCOMPARE(CR::withFormat(name, F::SevenZip), as7z);
        QCOMPARE(CR::stemLength(as7z), as7z.size() - 3);
    }

    // As Compress to ZIP names its ZIP, whatever the format.
    void proposedNames()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("photos.2024");
        const std::tuple<QString, F, QString> cases[] = {
            {dir.filePath("photos.2024"), F::TarGz, "photos.2024.tar.gz"}, {"/d/report.txt", F::SevenZip, "report.7z"},
            {"/d/a.zip", F::Zip, "a.zip.zip"}, {"/d/x.tar", F::TarXz, "x.tar.xz"}, {"/d/y.gz", F::TarGz, "y.gz.tar.gz"}};
        for (const auto &[item, format, name] : cases)
            QCOMPARE(CR::proposedName(item, format), name);
    }

    // Which format refuses which option: password, hidden names, compression, storing.
    void refusals()
    {
        const std::tuple<F, const char *> cases[] = {{F::Zip, "-y--"}, {F::SevenZip, "----"}, {F::TarGz, "yy-y"},
                                                     {F::TarZst, "yy-y"}, {F::Tar, "yyyy"}};
        for (const auto &[format, refused] : cases) {
            const QString got = QString(CR::passwordRefusal(format).isEmpty() ? "-" : "y")
                + (CR::encryptNamesRefusal(format, true).isEmpty() ? "-" : "y")
                + (CR::levelRefusal(format, NewLevel::Fast).isEmpty() ? "-" : "y")
                + (CR::levelRefusal(format, NewLevel::Store).isEmpty() ? "-" : "y");
            QCOMPARE(got, QString(refused));
        }
        QVERIFY(!CR::encryptNamesRefusal(F::SevenZip, false).isEmpty());
        QVERIFY(!CR::passwordProblem(F::Zip, "pässword").isEmpty() && CR::passwordProblem(F::SevenZip, "pässword").isEmpty());
        QVERIFY(!CR::passwordProblem(F::SevenZip, "a\nb").isEmpty() && CR::passwordProblem(F::Tar, "").isEmpty());
        for (const QString &bad : {QString(), QString("   "), QString(".7z"), QString("a/b.zip"), QString(".."), QString(251, 'x')})
            QVERIFY2(!CR::nameProblem(bad).isEmpty(), qPrintable(bad));
    }

    void volumeSizes()
    {
        const std::pair<const char *, qint64> cases[] = {
            {"700 MB", 700'000'000}, {"1.5GB", 1'500'000'000}, {"1,5 gb", 1'500'000'000}, {"640k", 640'000},
            {"25", 25'000'000}, {"100 kB", 100'000}, {"99k", -1}, {"0", -1}, {"-5 MB", -1}, {"MB", -1}, {"5 XB", -1}};
        for (const auto &[text, bytes] : cases)
            QVERIFY2(CR::parseVolumeSize(text).value_or(-1) == bytes, text);
    }

    // Keep Both: a set of volumes is taken by its first volume, a single file by itself.
    void freeNames()
    {
        QTemporaryDir dir;
        for (const char *name : {"r.7z", "s.tar.gz.001", "s 2.tar.gz"})
            std::ofstream(dir.filePath(name).toStdString()) << "x";
        const std::tuple<const char *, qint64, const char *> cases[] = {
            {"r.7z", 0, "r 2.7z"}, {"r.7z", 1, "r 2.7z"}, {"s.tar.gz", 0, "s.tar.gz"}, {"s.tar.gz", 1, "s 3.tar.gz"},
            {"t.zip", 1, "t.zip"}};
        for (const auto &[name, volumes, free] : cases)
            QCOMPARE(CR::freeName(dir.filePath(name), volumes), dir.filePath(free));
        QCOMPARE(CR::freeName(dir.filePath("s.tar.gz.001"), 0), dir.filePath("s.tar.gz 2.001"));
    }
};

QTEST_GUILESS_MAIN(CreationRulesTest)
#include "CreationRulesTest.moc"
