#include "engine/ListingParser.h"
#include "engine/PathScreen.h"

#include <QFile>
#include <QTest>

namespace {

QByteArray recorded(const char *name)
{
    QFile file(QStringLiteral(CORVEX_TEST_DATA "/listings/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", name);
    return file.readAll();
}

std::vector<ArchiveEntry> parse(const QByteArray &text) { return ListingParser::parse(text); }

QStringList paths(const std::vector<ArchiveEntry> &entries)
{
    QStringList result;
    for (const ArchiveEntry &e : entries)
        result.append(e.path());
    return result;
}

ArchiveEntry file(const char *path) { return ArchiveEntry(path, "", "", "", false); }

const QByteArray head = "7-Zip (z) 26.02\n\nListing archive: a.zip\n\n--\nPath = a.zip\nType = zip\n\n----------\n";

} // namespace

class ListingParserTest : public QObject
{
    Q_OBJECT
private slots:
    void recordedZip()
    {
        const auto entries = parse(recorded("mixed.zip.slt"));
        QCOMPARE(paths(entries), QStringList({"docs", "docs/readme.txt", "docs/sub", "docs/sub/deep.bin", "empty",
                                              "with space", "with space/a b.txt", "Ünïcödé ✓.md"}));
        QCOMPARE(entries[0], ArchiveEntry("docs", "0", "0", "2026-12-06 07:09:11.0756277", true));
        QCOMPARE(entries[1], ArchiveEntry("docs/readme.txt", "6", "6", "2026-12-06 07:09:11.0756277", false));
        const auto solid = parse(recorded("solid.7z.slt"));
        QCOMPARE(solid.size(), size_t(8));
        QCOMPARE(solid[0], ArchiveEntry("docs", "0", "0", "2026-12-06 07:09:11.0756277", true));   // "Attributes = D …"
        // A Latin-1 name keeps a replacement character; the rest is unharmed.
        QCOMPARE(paths(parse(recorded("latin1.tar.slt"))), QStringList({QStringLiteral("caf\uFFFD.txt"), "plain.txt"}));
    }

    void recordBoundaries_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("no separator") << QByteArray("Path = a\nSize = 1\n\nPath = b\n") << QStringList();
        QTest::newRow("last record without empty line") << head + "Path = a\n\nPath = b" << QStringList{"a", "b"};
        QTest::newRow("empty path value is dropped") << head + "Path = \nSize = 3\n\nPath = b\n" << QStringList{"b"};
        QTest::newRow("split at first ' = '") << head + "Path = a = b\n" << QStringList{"a = b"};
        QTest::newRow("two spaces keep one") << head + "Path =  a  \n" << QStringList{" a"};
        QTest::newRow("records without blank merge") << head + "Path = a\nPath = b\n" << QStringList{"b"};
        QTest::newRow("second separator discards") << head + "Path = a\n----------\nPath = b\n" << QStringList{"b"};
        QTest::newRow("CR LF lines read as LF lines") << head + "Path = a\r\nSize = 1\r\n\r\nPath = b\r\n" << QStringList{"a", "b"};
        // Only LF ends a line: others inside names must not start one.
        QTest::newRow("other breaks stay in the name")
            << head + "Path = a\xc2\x85Path = b\xe2\x80\xa9\xe2\x80\xa8Path = c\rd\x0b\x0c"
            << QStringList{QString::fromUtf8("a\xc2\x85Path = b\xe2\x80\xa9\xe2\x80\xa8Path = c\rd")};
        QTest::newRow("CR in a name hides no path")
            << head + "Path = ../evil\r----------\rPath = fine\nSize = 1\n" << QStringList{"../evil\r----------\rPath = fine"};
        QTest::newRow("unicode spaces and breaks at the ends trimmed")
            << head + "Path = a\xe2\x80\xa8\r\n\r\n\xc2\x85Path = b\x0c\n\n\xe3\x80\x80Path = c\xc2\xa0\t\n"
            << QStringList{"a", "b", "c"};
        QTest::newRow("indented separator") << QByteArray(" ---------- \nPath = a\n") << QStringList{"a"};
        QTest::newRow("eleven hyphens is no separator") << QByteArray("-----------\nPath = a\n") << QStringList();
        QTest::newRow("lone lead bytes are no breaks") << head + "Path = a\xc2\xe2\x80z\n" << QStringList{QString::fromUtf8("a\xc2\xe2\x80z")};
    }

    void recordBoundaries()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, expected);
        QCOMPARE(paths(parse(text)), expected);
    }

    void fieldsAndFlags()
    {
        using Flags = ArchiveEntry::Flags;
        const auto entries = parse(head + "Path = photos.2020\nFolder = +\nAttributes = +\nAccessed = +\n\n"
                                          "Path = b\nFolder = -\nSize = 7\nUnknown = x\nAnti = +\nEncrypted = +\n\n"
                                          "Path = c\nFolder = ++\n  Anti = + \nAntique = +\nEncrypted = -\n");
        QCOMPARE(entries.size(), size_t(3));
        QCOMPARE(entries[0].flags(), Flags{.folder = true});
        QCOMPARE(entries[1].flags(), (Flags{.anti = true, .encrypted = true}));
        QCOMPARE(entries[1].size(), QStringLiteral("7"));
        QVERIFY(entries[1].packed().isEmpty() && entries[1].modified().isEmpty());
        QCOMPARE(entries[2].flags(), Flags{.anti = true});
        // Anti-items are refused with the unsafe paths, in listing order, each as often as listed.
        QCOMPARE(PathScreen::unsafePaths({entries[1], file("ok"), file("..\\x"), entries[2], file("..\\x")}),
                 QStringList({"b", "..\\x", "c", "..\\x"}));
    }

    void pathScreen_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("unsafe");
        QTest::newRow("plain") << "docs/a.txt" << false;
        QTest::newRow("absolute") << "/etc/passwd" << true;
        QTest::newRow("backslash absolute") << "\\etc\\x" << true;
        QTest::newRow("two dots alone") << ".." << false;
        QTest::newRow("dot dot backslash") << "..\\evil" << true;
        QTest::newRow("dot dot name") << "..hidden" << false;
        QTest::newRow("slash dots at end") << "a/.." << true;
        QTest::newRow("segment starting with dots") << "a/..b" << true;
        QTest::newRow("drive upper") << "C:evil" << true;
        QTest::newRow("digit colon") << "1:x" << false;
        QTest::newRow("non-ASCII letter colon") << QStringLiteral("é:x") << false;
    }

    void pathScreen()
    {
        QFETCH(QString, path);
        QFETCH(bool, unsafe);
        QCOMPARE(PathScreen::isUnsafe(path), unsafe);
    }
};

QTEST_GUILESS_MAIN(ListingParserTest)
#include "ListingParserTest.moc"
