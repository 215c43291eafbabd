// The window's table: a million rows read only where shown, the type column; finding and picking members:
// sort and filter over a real listing, the selection as members to extract, dragging out and dropping in.
#include "UiTestSupport.h"
#include "ui/DragOut.h"
#include "ui/EntryFilter.h"
#include "ui/EntryOrder.h"
#include "ui/EntryTableView.h"
#include "ui/MemberSelection.h"

#include <QDropEvent>
#include <QMimeData>
#include <QStyledItemDelegate>
#include <QUrl>

#include <set>

using namespace ui_test;

namespace {

// Notes every row the view draws or measures.
class RowRecorder : public QStyledItemDelegate
{
public:
    mutable std::set<int> rows;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        rows.insert(index.row());
        QStyledItemDelegate::paint(painter, option, index);
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        rows.insert(index.row());
        return QStyledItemDelegate::sizeHint(option, index);
    }
};

} // namespace

class EntryTableTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ArchiveEngine> m_engine;
    QString m_zip;
    std::vector<ArchiveEntry> m_entries;

    QStringList paths(const std::vector<quint32> &rows) const
    {
        QStringList result;
        for (quint32 row : rows) result.append(m_entries[row].path());
        return result;
    }

    static void selectPaths(const CorvexController &c, const QStringList &wanted)
    {
        table(c)->clearSelection();
        for (int row = 0; row < rowCount(c); ++row)
            if (wanted.contains(cell(c, row, EntryTableModel::Name)))
                table(c)->selectionModel()->select(table(c)->model()->index(row, 0),
                                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

private slots:
    void initTestCase()
    {
        m_engine = std::make_unique<ArchiveEngine>(kResources);
        // Listing order, sizes and times as written; docs/b.txt twice.
        m_zip = m_dir.filePath("pick.zip");
        QVERIFY(runPython("import zipfile,sys,warnings\nwarnings.simplefilter('ignore')\nrows=[('file10.txt',10,1),"
                          "('File2.txt',20000,3),('docs/',0,2),('docs/b.txt',9,5),('docs-x.txt',100000,4),('file02.txt',7,6),"
                          "('docs/a10.md',3,7),('docs/a9.md',3,8),('\u00c9t\u00e9.txt',1,9),('docs/b.txt',2,9)]\nwith "
                          "zipfile.ZipFile(sys.argv[1],'w') as z:\n  for n,s,d in rows: z.writestr(zipfile.ZipInfo(n,"
                          "(2024,1,d,12,0,0)),b'x'*s)\n", {m_zip}));
        m_entries = runToEnd(*m_engine, OperationKind::List, m_zip).entries;
        QCOMPARE(m_entries.size(), size_t(10));
    }

    void cleanupTestCase() { drainWork(); }

    // What lets a million rows scale: the view reads only the rows it shows, after the reset and scrolled.
    void aMillionRowsAreReadOnlyWhereShown()
    {
        ArchiveEngine engine(kResources);
        FakeDesktop desktop;
        CorvexController c(engine, desktop, QString());
        c.window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(c.window()));
        QTableView *view = table(c);
        RowRecorder recorder;
        view->setItemDelegate(&recorder);
        constexpr int count = 1000000;
        std::vector<ArchiveEntry> big;
        for (int i = 0; i < count; ++i)
            big.push_back(ArchiveEntry::fromUtf8(QByteArray("folder/file-") + QByteArray::number(i) + ".dat",
                                                 "1024", "512", "2024-01-01 00:00:00", false));
        auto *model = qobject_cast<EntryTableModel *>(view->model());
        model->setEntries(std::move(big));
        QCoreApplication::processEvents();
        view->viewport()->repaint();
        const int visible = view->viewport()->height() / view->rowHeight(0) + 2;
        QVERIFY2(!recorder.rows.empty() && *recorder.rows.rbegin() < visible, qPrintable(QString::number(recorder.rows.size())));

        recorder.rows.clear();
        view->scrollToBottom();
        QCoreApplication::processEvents();
        view->viewport()->repaint();
        QCOMPARE(view->rowAt(view->viewport()->height() - 1), count - 1);
        QVERIFY2(*recorder.rows.begin() >= count - visible, qPrintable(QString::number(recorder.rows.size())));
        view->setItemDelegate(nullptr);
    }

    // The type is the last extension of the last component, fully upper-cased.
    void typeColumn()
    {
        const struct { QString path; bool isFolder; QString type; } cases[] = {
            {"docs/backup.tar.gz", false, "GZ"}, {"v1.2/tool", false, "File"}, {"photos.2020", true, "Folder"},
            {"home/.profile", false, "File"}, {"name.", false, "File"}, {"stra\u00dfe.\u00e9\u00df", false, "\u00c9SS"}};
        for (const auto &c : cases) {
            EntryTableModel model;
            model.setEntries({ArchiveEntry(c.path, "1", "", "", c.isFolder)});
            QCOMPARE(model.index(0, EntryTableModel::Type).data().toString(), c.type);
        }
    }

    void sorts()
    {
        const QString ete = QStringLiteral("\u00c9t\u00e9.txt");
        const struct { int column; Qt::SortOrder order; QStringList expected; } cases[] = {
            // Natural, case-insensitive; a folder's members before "docs-x"; equal names keep listing order.
            {0, Qt::AscendingOrder, {"docs", "docs/a9.md", "docs/a10.md", "docs/b.txt", "docs/b.txt", "docs-x.txt",
                                     "File2.txt", "file02.txt", "file10.txt", ete}},
            // By value: 20000 before 100000, whatever their first digits.
            {1, Qt::AscendingOrder, {"docs", ete, "docs/b.txt", "docs/a10.md", "docs/a9.md", "file02.txt",
                                     "docs/b.txt", "file10.txt", "File2.txt", "docs-x.txt"}},
        };
        for (const auto &c : cases) {
            const std::vector<quint32> all = EntryOrder::sorted(m_entries, c.column, c.order);
            QCOMPARE(paths(all), c.expected);
            // A subset (the filtered rows) sorts as the whole does.
            std::vector<quint32> odd{1, 3, 5, 7, 9}, expectedOdd;
            std::copy_if(all.begin(), all.end(), std::back_inserter(expectedOdd), [](quint32 i) { return i % 2; });
            QCOMPARE(EntryOrder::sorted(m_entries, c.column, c.order, &odd), expectedOdd);
        }
    }

    void filters()
    {
        const struct { QString text; QStringList expected; } cases[] = {
            {"FILE", {"file10.txt", "File2.txt", "file02.txt"}}, {"\u00c9T\u00c9", {"\u00c9t\u00e9.txt"}},
            {"s/a", {"docs/a10.md", "docs/a9.md"}}, {"txtdocs", {}}};   // never across two paths
        const EntryFilter filter(m_entries);
        for (const auto &c : cases) {
            QCOMPARE(paths(filter.find(EntryFilter::fold(c.text))), c.expected);
            // Typed after its first letter: the rows that letter found, narrowed.
            const std::vector<quint32> first = filter.find(EntryFilter::fold(c.text.left(1)));
            QCOMPARE(paths(filter.narrow(EntryFilter::fold(c.text), first)), c.expected);
        }
    }

    void selectionBecomesMembers()
    {
        const auto entry = [](QByteArrayView path) { return ArchiveEntry::fromUtf8(path, "", "", "", path.endsWith('/')); };
        const std::vector<ArchiveEntry> odd{entry("caf\xe9"), entry("ok/"), entry("ok/\xff"), entry("fine")};
        const struct {
            const std::vector<ArchiveEntry> &entries;
            std::vector<size_t> rows;
            QStringList paths, unnamed;
        } cases[] = {
            // A folder stands for what is under it (not "docs-x"); each once.
            {m_entries, {1, 2, 3, 6}, {"File2.txt", "docs"}, {}},
            {m_entries, {3, 9, 5}, {"docs/b.txt", "file02.txt"}, {}},
            // Not UTF-8: the tool cannot be told it, unless a folder brings it.
            {odd, {0, 1, 2}, {"ok"}, {"caf\uFFFD"}},
            {odd, {0, 1, 2, 3}, {}, {}},   // everything: the whole archive
        };
        for (const auto &c : cases) {
            std::vector<bool> selected(c.entries.size());
            for (size_t row : c.rows) selected[row] = true;
            const MemberSelection::Members m = MemberSelection::members(c.entries, selected);
            QVERIFY(m.paths == c.paths && m.unnamed == c.unnamed && m.all == (c.rows.size() == c.entries.size()));
        }
    }

    // Offscreen no button is down when the copies are ready: they wait for
    // the next drag in a private folder, which goes with the window.
    void dragOutExtractsFirst()
    {
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath("cache")));
        const auto drags = [] { return QDir(DragOut::base()).entryList(QDir::Dirs | QDir::NoDotAndDotDot); };
        {
            FakeDesktop desktop;
            CorvexController c(*m_engine, desktop, QString());
            load(c, m_zip, QStringLiteral("10 items"));
            selectPaths(c, {"docs/a9.md", "file10.txt"});
            emit part<EntryTableView>(c, "entryTable")->dragRequested();
            UI_WAIT_FOR_STATUS(c, QStringLiteral("2 item(s) ready: drag them again to drop them"));
            const QString folder = DragOut::base() + '/' + drags().value(0);
            QCOMPARE(tree(folder), QStringList({"docs", "docs/a9.md", "file10.txt"}));
            QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFileDevice::Permissions());
            // Only copies that are there, inside the folder.
            const MemberSelection::Members offered{false, {"docs/a9.md", "../" + drags().value(0), "missing"}, {}, {}};
            QCOMPARE(DragOut::urls(folder, offered), QList<QUrl>{QUrl::fromLocalFile(folder + "/docs/a9.md")});
        }
        QVERIFY(drags().isEmpty());
    }

    // A drop opens the first dropped file; folders and missing files are not archives.
    void dropOpensTheFirstFile()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        const QUrl folder = QUrl::fromLocalFile(m_dir.path()), zip = QUrl::fromLocalFile(m_zip);
        for (const QList<QUrl> &urls : {QList<QUrl>{folder}, QList<QUrl>{folder, zip}}) {
            QMimeData data;
            data.setUrls(urls);
            QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(c.window(), &enter);
            QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            if (enter.isAccepted())
                QCoreApplication::sendEvent(c.window(), &drop);
        }
        UI_WAIT_FOR_STATUS(c, QStringLiteral("10 items"));
        QCOMPARE(c.archivePath(), m_zip);
    }
};

QTEST_MAIN(EntryTableTest)
#include "EntryTableTest.moc"
