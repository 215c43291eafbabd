// The folder index: implied folders, odd spellings, order, counts and sizes.
#include "engine/FolderIndex.h"

#include <QTest>

namespace {

// "path" a file of size 10, "path/" a folder record.
std::vector<ArchiveEntry> entriesOf(const QStringList &listing)
{
    std::vector<ArchiveEntry> entries;
    for (const QString &line : listing) {
        const bool folder = line.endsWith(QLatin1Char('/')) && line.size() > 1;
        entries.emplace_back(folder ? line.chopped(1) : line, folder ? "" : "10", "", "", folder);
    }
    return entries;
}

// "name[spellings](items,size){children}" for a folder, the name for a file.
QString dump(const FolderIndex &index, const std::vector<ArchiveEntry> &entries, quint32 number)
{
    QStringList children;
    for (FolderIndex::Item item : index.children(number)) {
        const QString name = QString::fromUtf8(index.nameOf(item, entries));
        if (!FolderIndex::isFolder(item)) {
            children.append(name);
            continue;
        }
        const FolderIndex::Folder &f = index.folder(FolderIndex::numberOf(item));
        const QString spellings = f.spellings == QByteArrayList{f.path} ? QString()
                                                                         : "[" + f.spellings.join(',') + "]";
        children.append(QStringLiteral("%1%2(%3,%4){%5}").arg(name, spellings).arg(f.end - f.begin).arg(f.size)
                            .arg(dump(index, entries, FolderIndex::numberOf(item))));
    }
    return children.join(' ');
}

} // namespace

class FolderIndexTest : public QObject
{
    Q_OBJECT
private slots:
    void tree_data()
    {
        QTest::addColumn<QStringList>("listing");
        QTest::addColumn<QString>("tree");
        QTest::newRow("implied folders") << QStringList{"a/b/c.txt", "a/d.txt"}
                                         << "a(2,20){b(1,10){c.txt} d.txt}";
        QTest::newRow("folders first, natural order")
            << QStringList{"f10.txt", "F9.txt", "z/", "b/x", "é/", "a1/", "a10/", "a2/"}
            << "a1(0,0){} a2(0,0){} a10(0,0){} b(1,10){x} z(0,0){} é(0,0){} F9.txt f10.txt";
        QTest::newRow("slash runs and dots") << QStringList{"a//b/./c", "./d", "/e", "a/b/f", "./a/g"}
                                             << "a[a,./a](2,30){b[a//b,a/b](2,20){c f} g} d e";
        QTest::newRow("file and folder of one name") << QStringList{"a", "a/x"} << "a(1,10){x} a";
        QTest::newRow("records of a folder, repeated") << QStringList{"a/", "a/x", "a/", "./"}
                                                       << "a(1,10){x}";
        QTest::newRow("odd characters") << QStringList{"sp ace/ tab\t", "-dash/new\nline", "q\"uote"}
                                        << "-dash(1,10){new\nline} sp ace(1,10){ tab\t} q\"uote";
    }
    void tree()
    {
        QFETCH(QStringList, listing);
        QFETCH(QString, tree);
        const auto entries = entriesOf(listing);
        const FolderIndex index = FolderIndex::of(entries);
        QCOMPARE(dump(index, entries, FolderIndex::kRoot), tree);
        // Every member is either a row or the folder it records.
        for (quint32 number = 1; number < index.folderCount(); ++number)
            QCOMPARE(index.find(index.folder(number).path), std::optional<quint32>(number));
    }

    void lookups_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("folder");
        QTest::newRow("top") << "x.txt" << "";
        QTest::newRow("nested") << "a//b/c" << "a/b";
        QTest::newRow("a folder's record shows in its parent") << "a/b/" << "a";
    }
    void lookups()
    {
        QFETCH(QString, member);
        QFETCH(QString, folder);
        const FolderIndex index = FolderIndex::of(entriesOf({"a/b/c", "x.txt"}));
        QCOMPARE(index.folder(index.folderOf(member.toUtf8())).path, folder.toUtf8());
    }

    void millionMembersCounted()
    {
        // 1,000 folders of 1,000 files.
        std::vector<ArchiveEntry> entries;
        entries.reserve(1001000);
        for (int f = 0; f < 1000; ++f) {
            const QByteArray folder = "src/m" + QByteArray::number(f);
            entries.push_back(ArchiveEntry::fromUtf8(folder, "", "", "", true));
            for (int i = 999; i >= 0; --i)
                entries.push_back(ArchiveEntry::fromUtf8(folder + "/file_" + QByteArray::number(i), "3", "", "", false));
        }
        const FolderIndex index = FolderIndex::of(entries);
        QCOMPARE(index.folderCount(), size_t(1002));
        const quint32 src = *index.find("src");
        QCOMPARE(index.children(src).size(), size_t(1000));
        QCOMPARE(index.folder(src).size, quint64(3000000));
        const auto files = index.children(*index.find("src/m999"));
        QCOMPARE(files.size(), size_t(1000));
        QCOMPARE(index.nameOf(files[2], entries), QByteArrayView("file_2"));   // natural, not listing order
    }
};

QTEST_GUILESS_MAIN(FolderIndexTest)
#include "FolderIndexTest.moc"
