// Finding and picking members: sort and filter over a real listing, the
// selection as members to extract, the keyboard and dropped archives.
#include "UiTestSupport.h"
#include "ui/DragOut.h"
#include "ui/EntryFilter.h"
#include "ui/EntryOrder.h"
#include "ui/EntryTableView.h"
#include "ui/MemberSelection.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

using namespace ui_test;

class FindAndPickTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ArchiveEngine> m_engine;
    QString m_zip;
    std::vector<ArchiveEntry> m_entries;

    QStringList paths(const std::vector<quint32> &rows) const
    {
        QStringList result;
        for (quint32 row : rows)
            result.append(m_entries[row].path());
        return result;
    }

    static QStringList shownPaths(const CorvexController &c)
    {
        QStringList result;
        for (int row = 0; row < rowCount(c); ++row)
            result.append(cell(c, row, EntryTableModel::Name));
        return result;
    }

    void selectPaths(const CorvexController &c, const QStringList &wanted)
    {
        table(c)->clearSelection();
        for (int row = 0; row < rowCount(c); ++row) {
            if (wanted.contains(cell(c, row, EntryTableModel::Name)))
                table(c)->selectionModel()->select(table(c)->model()->index(row, 0),
                                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_engine = std::make_unique<ArchiveEngine>(kResources);
        // Listing order, sizes and times as written; docs/b.txt twice.
        m_zip = m_dir.filePath("pick.zip");
        QVERIFY(runPython("import zipfile,sys,warnings\nwarnings.simplefilter('ignore')\n"
                          "rows=[('file10.txt',10,1),('File2.txt',200,3),('docs/',0,2),('docs/b.txt',9,5),"
                          "('docs-x.txt',1000,4),('file02.txt',7,6),('docs/a10.md',3,7),('docs/a9.md',3,8),"
                          "('\u00c9t\u00e9.txt',1,9),('docs/b.txt',2,9)]\n"
                          "with zipfile.ZipFile(sys.argv[1],'w') as z:\n"
                          "  for n,s,d in rows: z.writestr(zipfile.ZipInfo(n,(2024,1,d,12,0,0)),b'x'*s)\n",
                          {m_zip}));
        m_entries = m_engine->list(m_zip);
        QCOMPARE(m_entries.size(), size_t(10));
    }

    void cleanupTestCase() { drainWork(); }

    void sorts_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<Qt::SortOrder>("order");
        QTest::addColumn<QStringList>("expected");
        const QString ete = QStringLiteral("\u00c9t\u00e9.txt");
        // Natural, case-insensitive; a folder's members before "docs-x";
        // File2 and file02 are equal and keep their listing order both ways.
        QTest::newRow("name") << 0 << Qt::AscendingOrder
                              << QStringList{"docs", "docs/a9.md", "docs/a10.md", "docs/b.txt", "docs/b.txt",
                                             "docs-x.txt", "File2.txt", "file02.txt", "file10.txt", ete};
        QTest::newRow("name, reversed") << 0 << Qt::DescendingOrder
                                        << QStringList{ete, "file10.txt", "File2.txt", "file02.txt", "docs-x.txt",
                                                       "docs/b.txt", "docs/b.txt", "docs/a10.md", "docs/a9.md", "docs"};
        QTest::newRow("size as a number") << 1 << Qt::AscendingOrder
                                          << QStringList{"docs", ete, "docs/b.txt", "docs/a10.md", "docs/a9.md",
                                                         "file02.txt", "docs/b.txt", "file10.txt", "File2.txt",
                                                         "docs-x.txt"};
        QTest::newRow("type, reversed") << 3 << Qt::DescendingOrder
                                        << QStringList{"file10.txt", "File2.txt", "docs/b.txt", "docs-x.txt",
                                                       "file02.txt", ete, "docs/b.txt", "docs/a10.md", "docs/a9.md",
                                                       "docs"};
        QTest::newRow("modified") << 4 << Qt::AscendingOrder
                                  << QStringList{"file10.txt", "docs", "File2.txt", "docs-x.txt", "docs/b.txt",
                                                 "file02.txt", "docs/a10.md", "docs/a9.md", ete, "docs/b.txt"};
    }

    void sorts()
    {
        QFETCH(int, column);
        QFETCH(Qt::SortOrder, order);
        QFETCH(QStringList, expected);
        const std::vector<quint32> all = EntryOrder::sorted(m_entries, column, order);
        QCOMPARE(paths(all), expected);
        // A subset sorts as the whole does.
        std::vector<quint32> odd, expectedOdd;
        for (quint32 i = 1; i < m_entries.size(); i += 2)
            odd.push_back(i);
        std::copy_if(all.begin(), all.end(), std::back_inserter(expectedOdd), [](quint32 i) { return i % 2; });
        QCOMPARE(EntryOrder::sorted(m_entries, column, order, &odd), expectedOdd);
    }

    void filters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("any case") << "FILE" << QStringList{"file10.txt", "File2.txt", "file02.txt"};
        QTest::newRow("beyond ASCII") << "\u00c9T\u00c9" << QStringList{"\u00c9t\u00e9.txt"};
        QTest::newRow("folder part") << "s/a" << QStringList{"docs/a10.md", "docs/a9.md"};
        QTest::newRow("never across two paths") << "txtdocs" << QStringList();
    }

    void filters()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        const EntryFilter filter(m_entries);
        const std::vector<quint32> found = filter.find(EntryFilter::fold(text));
        QCOMPARE(paths(found), expected);
        // Narrowing keeps the order it is given.
        std::vector<quint32> reversed(m_entries.size());
        for (quint32 i = 0; i < reversed.size(); ++i)
            reversed[i] = quint32(reversed.size() - 1 - i);
        std::vector<quint32> narrowed = filter.narrow(EntryFilter::fold(text), reversed);
        std::reverse(narrowed.begin(), narrowed.end());
        QCOMPARE(narrowed, found);
    }

    void selectionBecomesMembers()
    {
        const auto entry = [](QByteArrayView path) {
            return ArchiveEntry::fromUtf8(path, "", "", "", path.endsWith('/'));
        };
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
            for (size_t row : c.rows)
                selected[row] = true;
            const MemberSelection::Members members = MemberSelection::members(c.entries, selected);
            QCOMPARE(members.paths, c.paths);
            QCOMPARE(members.unnamed, c.unnamed);
            QCOMPARE(members.all, c.rows.size() == c.entries.size());
        }
    }

    void extractSelectedAsTheToolDoes()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, m_zip, QStringLiteral("10 items"));
        const QStringList chosen{"docs", "file10.txt", "\u00c9t\u00e9.txt"};
        selectPaths(c, chosen);
        desktop.queueChosenFiles({m_dir.filePath("selected")});
        part<QMenu>(c, "memberMenu")->findChild<QAction *>("extractSelectedAction")->trigger();
        UI_WAIT_FOR_STATUS(c, "Extracted to " + m_dir.filePath("selected"));
        QVERIFY(runTool(QStringList{"x", "-o" + m_dir.filePath("byTool"), "-y", "-spd", "--", m_zip} + chosen));
        QVERIFY(runTool({"-r", m_dir.filePath("byTool"), m_dir.filePath("selected")}, QString(), "diff"));
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
            const MemberSelection::Members offered{false, {"docs/a9.md", "../" + drags().value(0), "missing"}, {}};
            QCOMPARE(DragOut::urls(folder, offered), QList<QUrl>{QUrl::fromLocalFile(folder + "/docs/a9.md")});
        }
        QVERIFY(drags().isEmpty());
    }

    // Through the window: the search field, the header, the selection.
    void windowFiltersAndSorts()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        load(c, m_zip, QStringLiteral("10 items"));
        auto *field = part<QLineEdit>(c, "searchField");
        QHeaderView *header = table(c)->horizontalHeader();

        selectPaths(c, {"docs/a9.md"});
        header->setSortIndicator(EntryTableModel::Name, Qt::DescendingOrder);
        QTRY_COMPARE(cell(c, 0, EntryTableModel::Name), QStringLiteral("\u00c9t\u00e9.txt"));
        field->setText("A");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("2 of 10 items"));
        QCOMPARE(shownPaths(c), QStringList({"docs/a10.md", "docs/a9.md"}));
        field->setText("a9");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("1 of 10 items"));
        // The selection followed its member; View and the menu read it.
        QCOMPARE(c.selectedMembers().paths, QStringList{"docs/a9.md"});
        click(c, "viewButton");
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("open"), 1, 30000);
        QVERIFY(desktop.calls.last().values[0].endsWith("/docs/a9.md"));

        field->clear();
        UI_WAIT_FOR_STATUS(c, QStringLiteral("10 items"));
        QCOMPARE(rowCount(c), 10);
        QCOMPARE(cell(c, 9, EntryTableModel::Name), QStringLiteral("docs"));

        // A new archive starts unfiltered, in listing order.
        field->setText("zzz");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("0 of 10 items"));
        load(c, m_zip, QStringLiteral("10 items"));
        QCOMPARE(field->text(), QString());
        QCOMPARE(header->sortIndicatorSection(), -1);
        QCOMPARE(cell(c, 0, EntryTableModel::Name), QStringLiteral("file10.txt"));
    }

    void rowMenuAndKeyboard()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        c.window()->show();
        QVERIFY(QTest::qWaitForWindowActive(c.window()));
        load(c, m_zip, QStringLiteral("10 items"));
        auto action = [&](const char *name) { return part<QMenu>(c, "memberMenu")->findChild<QAction *>(name); };

        action("extractSelectedAction")->trigger();   // nothing selected
        QCOMPARE(desktop.kinds(), QStringList{"beep"});
        selectPaths(c, {"docs", "file10.txt"});
        action("copyPathAction")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("file10.txt\ndocs"));

        // Ctrl+F, a text, Down into the list, Return views the member.
        desktop.clear();
        QTest::keyClick(c.window(), Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "a10");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("1 of 10 items"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), table(c));
        QTest::keyClick(table(c), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("open"), 1, 30000);
        QVERIFY(desktop.calls.last().values[0].endsWith("/docs/a10.md"));
        QTest::keyClick(c.window(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(desktop.fileChoices.size(), 1);
    }

    void dropOpensTheFirstFile()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        auto drop = [&](const QStringList &files) {
            QMimeData data;
            QList<QUrl> urls;
            for (const QString &file : files)
                urls.append(QUrl::fromLocalFile(file));
            data.setUrls(urls);
            // As a drag arrives: entered first, then dropped on the target.
            QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(c.window(), &enter);
            QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            if (enter.isAccepted())
                QCoreApplication::sendEvent(c.window(), &drop);
            return enter.isAccepted() && drop.isAccepted();
        };
        QVERIFY(!drop({m_dir.path(), m_dir.filePath("missing.zip")}));
        QCOMPARE(c.archivePath(), QString());
        QVERIFY(drop({m_dir.path(), m_zip}));
        UI_WAIT_FOR_STATUS(c, QStringLiteral("10 items"));
        QCOMPARE(c.archivePath(), m_zip);
    }
};

QTEST_MAIN(FindAndPickTest)
#include "FindAndPickTest.moc"
