// The listing parser and the path screen, on recorded and made-up listings and on what the fuzzer found.
#include "../TestSupport.h"
#include "ListingProperties.h"
#include "engine/ListingParser.h"
#include "engine/PathScreen.h"

namespace {

QByteArray recorded(const char *name) { return test_support::readFile(QStringLiteral(CORVEX_TEST_DATA "/listings/") + name); }

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
        // No UTF-8 flag on these: names in the maker's code page, though ASCII.
        QCOMPARE(entries[0], ArchiveEntry("docs", "0", "0", "2026-12-06 07:09:11.0756277", {.folder = true, .codePageName = true}));
        QCOMPARE(entries[1], ArchiveEntry("docs/readme.txt", "6", "6", "2026-12-06 07:09:11.0756277", {.codePageName = true}));
        const auto solid = parse(recorded("solid.7z.slt"));
        QCOMPARE(solid.size(), size_t(8));
        QCOMPARE(solid[0], ArchiveEntry("docs", "0", "0", "2026-12-06 07:09:11.0756277", true));   // "Attributes = D …"
        // A Latin-1 name keeps a replacement character; the rest is unharmed.
        QCOMPARE(paths(parse(recorded("latin1.tar.slt"))), QStringList({QStringLiteral("caf\uFFFD.txt"), "plain.txt"}));
    }

    void recordBoundaries()
    {
        const struct { const char *what; QByteArray text; QStringList expected; } cases[] = {
            {"no separator", QByteArray("Path = a\nSize = 1\n\nPath = b\n"), QStringList()},
            {"last record without empty line", head + "Path = a\n\nPath = b", QStringList{"a", "b"}},
            {"empty path value is dropped", head + "Path = \nSize = 3\n\nPath = b\n", QStringList{"b"}},
            {"split at first ' = '", head + "Path = a = b\n", QStringList{"a = b"}},
            {"two spaces keep one", head + "Path =  a  \n", QStringList{" a"}},
            {"records without blank merge", head + "Path = a\nPath = b\n", QStringList{"b"}},
            {"second separator discards", head + "Path = a\n----------\nPath = b\n", QStringList{"b"}},
            {"CR LF lines read as LF lines", head + "Path = a\r\nSize = 1\r\n\r\nPath = b\r\n", QStringList{"a", "b"}},
            // Only LF ends a line: others inside names must not start one.
            {"other breaks stay in the name", head + "Path = a\xc2\x85Path = b\xe2\x80\xa9\xe2\x80\xa8Path = c\rd\x0b\x0c",
             QStringList{QString::fromUtf8("a\xc2\x85Path = b\xe2\x80\xa9\xe2\x80\xa8Path = c\rd")}},
            {"CR in a name hides no path", head + "Path = ../evil\r----------\rPath = fine\nSize = 1\n",
             QStringList{"../evil\r----------\rPath = fine"}},
            {"unicode spaces and breaks at the ends trimmed",
             head + "Path = a\xe2\x80\xa8\r\n\r\n\xc2\x85Path = b\x0c\n\n\xe3\x80\x80Path = c\xc2\xa0\t\n", QStringList{"a", "b", "c"}},
            {"indented separator", QByteArray(" ---------- \nPath = a\n"), QStringList{"a"}},
            {"eleven hyphens is no separator", QByteArray("-----------\nPath = a\n"), QStringList()},
            {"lone lead bytes are no breaks", head + "Path = a\xc2\xe2\x80z\n",
             QStringList{QString::fromUtf8("a\xc2\xe2\x80z")}},
        };
        for (const auto &c : cases)
            QVERIFY2(paths(parse(c.text)) == c.expected, c.what);
    }

    void fieldsAndFlags()
    {
        using Flags = ArchiveEntry::Flags;
        const auto entries = parse(head + "Path = photos.2020\nFolder = +\nAttributes = +\nAccessed = +\n\n"
                                          "Path = b\nFolder = -\nSize = 7\nUnknown = x\nAnti = +\nEncrypted = +\n\n"
                                          "Path = c\nFolder = ++\n  Anti = + \nAntique = +\nEncrypted = -\nSymbolic Link = ../x\n"
                                          "Characteristics = NTFS UTF8\n");
        QCOMPARE(entries.size(), size_t(3));
        QCOMPARE(entries[0].flags(), (Flags{.folder = true, .codePageName = true}));
        QCOMPARE(entries[1].flags(), (Flags{.anti = true, .encrypted = true, .codePageName = true}));
        QCOMPARE(entries[1].size(), QStringLiteral("7"));
        QVERIFY(entries[1].packed().isEmpty() && entries[1].modified().isEmpty());
        QCOMPARE(entries[2].flags(), (Flags{.anti = true, .linkOut = true}));
        // Anti-items are refused apart from the unsafe paths, in listing order, each as often as listed.
        const Screening found = PathScreen::screen({entries[1], file("ok"), file("..\\x"), entries[2], file("..\\x")});
        QCOMPARE(found.antiItems, QStringList({"b", "c"}));
        QCOMPARE(found.unsafePaths, QStringList({"..\\x", "..\\x"}));
    }

    void pathScreen()
    {
        const std::pair<QString, bool> cases[] = {   // path, unsafe
            {"docs/a.txt", false}, {"/etc/passwd", true}, {"\\etc\\x", true}, {"..", false}, {"..\\evil", true},
            {"..hidden", false}, {"a/..", true}, {"a/..b", true}, {"C:evil", true}, {"1:x", false}, {"\u00e9:x", false}};
        for (const auto &[path, unsafe] : cases) {
            QVERIFY2(PathScreen::isUnsafe(path) == unsafe, qPrintable(path));
            QVERIFY2(PathScreen::isUnsafe(QByteArrayView(path.toUtf8())) == unsafe, qPrintable(path));
        }
        // A link's target read from where the link is: absolute, or climbing past the top, leads out.
        const std::tuple<const char *, const char *, bool> links[] = {
            {"a/l", "../x", false}, {"a/l", "../../x", true}, {"l", "/etc/passwd", true}, {"a/b/l", "../../c/../x", false},
            {"l", "x/../../y", true}, {"a/l", "..\\..\\x", true}, {"l", "", false}, {"./l", "./x", false}};
        for (const auto &[link, target, out] : links)
            QVERIFY2(PathScreen::linkLeadsOut(link, target) == out, target);
    }

    // Every input the fuzzer kept, plus the recorded listings it started from: its properties hold.
    void propertiesHold_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *folder : {"/fuzz-regressions", "/listings"}) {
            const QDir dir(QStringLiteral(CORVEX_TEST_DATA) + QLatin1String(folder));
            for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
                QTest::newRow(qPrintable(name)) << dir.absoluteFilePath(name);
        }
    }

    void propertiesHold()
    {
        QFETCH(QString, file);
        const QString problem = ListingProperties::allHold(test_support::readFile(file));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // The soundness check itself must see the escapes it is for.
    void soundnessCheckSeesEscapes()
    {
        for (const char *path : {"a/../../b", "a\\..\\..\\b", "/etc/passwd", "c:x"})
            QVERIFY2(!ListingProperties::staysInside(QString::fromLatin1(path)), path);
        QVERIFY(ListingProperties::staysInside(QStringLiteral("a/../b")) && ListingProperties::staysInside(QStringLiteral("..a/b..")));
    }
};

QTEST_GUILESS_MAIN(ListingParserTest)
#include "ListingParserTest.moc"
