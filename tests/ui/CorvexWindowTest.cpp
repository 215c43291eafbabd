// The window as built: its parts, where they sit at the initial and the
// minimum size, how the table is set up, and what its cells say.
#include "UiTestSupport.h"

#include <QHeaderView>
#include <QScrollBar>

using namespace ui_test;

namespace {

QRect geometryOf(const CorvexController &c, const char *name)
{
    QWidget *widget = part<QWidget>(c, name);
    return widget ? widget->geometry() : QRect();
}

int rightOf(const QRect &r) { return r.x() + r.width(); }
int bottomOf(const QRect &r) { return r.y() + r.height(); }

} // namespace

class CorvexWindowTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ArchiveEngine> m_engine;

    void checkFrame(const CorvexController &c, int width, int height)
    {
        QWidget *window = c.window();
        window->resize(width, height);
        QCoreApplication::processEvents();
        QCOMPARE(window->size(), QSize(width, height));

        const QRect toolbar = geometryOf(c, "toolbar");
        const QRect sidebar = geometryOf(c, "sidebar");
        const QRect path = geometryOf(c, "pathLabel");
        const QRect table = geometryOf(c, "entryTable");
        const QRect status = geometryOf(c, "statusLabel");

        QCOMPARE(toolbar.topLeft(), QPoint(0, 0));
        QVERIFY(rightOf(toolbar) <= width);

        QCOMPARE(sidebar.x(), 0);
        QCOMPARE(sidebar.width(), 180);
        QCOMPARE(sidebar.y(), bottomOf(toolbar));
        QCOMPARE(bottomOf(sidebar), status.y() - 4);

        QCOMPARE(path.x(), 194);
        QCOMPARE(rightOf(path), width - 14);
        QCOMPARE(path.y(), bottomOf(toolbar) + 2);
        QCOMPARE(path.height(), 28);

        QCOMPARE(table.x(), 194);
        QCOMPARE(rightOf(table), width - 14);
        QCOMPARE(table.y(), bottomOf(path) + 10);
        QCOMPARE(bottomOf(table), status.y() - 8);

        QCOMPARE(status.x(), 16);
        QCOMPARE(rightOf(status), width - 16);
        QCOMPARE(bottomOf(status), height - 10);
    }

private slots:
    void initTestCase()
    {
        m_engine = std::make_unique<ArchiveEngine>(kResources);
    }

    void startsEmptyWithFiveColumns()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        QCOMPARE(pathText(c), QStringLiteral("Open an archive to begin"));
        QCOMPARE(statusText(c), QStringLiteral("Ready"));
        QCOMPARE(rowCount(c), 0);

        QAbstractItemModel *model = table(c)->model();
        QStringList headers;
        for (int column = 0; column < model->columnCount(); ++column)
            headers.append(model->headerData(column, Qt::Horizontal).toString());
        QCOMPARE(headers, QStringList({"Name", "Size", "Packed", "Type", "Modified"}));
        QVERIFY(desktop.calls.isEmpty());
    }

    void toolbarAndSidebarHoldTheirButtonsInOrder()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        auto titles = [&](const char *name) {
            QStringList result;
            QWidget *holder = part<QWidget>(c, name);
            QList<QAbstractButton *> buttons = holder->findChildren<QAbstractButton *>();
            std::sort(buttons.begin(), buttons.end(),
                      [](QAbstractButton *a, QAbstractButton *b) { return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x(); });
            for (QAbstractButton *b : buttons)
                result.append(b->text());
            return result;
        };
        c.window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(c.window()));
        QCOMPARE(titles("toolbar"),
                 QStringList({"Open", "Extract", "Test", "Compress to ZIP", "View", "Finder Actions"}));
        QCOMPARE(titles("sidebar"),
                 QStringList({"Open Archive", "Home", "Downloads", "Documents", "Desktop", "Finder Actions"}));
    }

    void framesAtInitialAndMinimumSize()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        c.window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(c.window()));
        QCOMPARE(c.window()->size(), QSize(980, 640));
        checkFrame(c, 980, 640);
        checkFrame(c, 760, 460);
        // A longer path never pushes the window wider than it is.
        part<QLabel>(c, "pathLabel")->setText(QString(400, QLatin1Char('x')));
        checkFrame(c, 760, 460);
    }

    void tableIsSetUpForOneRowAtATime()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        QTableView *view = table(c);
        QHeaderView *header = view->horizontalHeader();
        // Shown, the last column takes up the room the others leave.
        c.window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(c.window()));
        QCOMPARE(header->length(), view->viewport()->width());
        header->resizeSection(0, 10);
        QCOMPARE(header->sectionSize(0), 70);

        qobject_cast<EntryTableModel *>(view->model())->setEntries({ArchiveEntry("a", "1", "1", "", false), ArchiveEntry("b", "2", "2", "", false)});
        view->selectRow(0);
        view->selectRow(1);
        QCOMPARE(view->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(view->selectionModel()->selectedRows().first().row(), 1);
    }

    void cellsShowTheListedTexts_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<QString>("type");
        QTest::newRow("nested file") << "docs/readme.txt" << false << "TXT";
        QTest::newRow("last extension only") << "backup.tar.gz" << false << "GZ";
        QTest::newRow("no dot in last component") << "v1.2/tool" << false << "File";
        QTest::newRow("mixed case") << "archive.Zip" << false << "ZIP";
        QTest::newRow("folder with a dot") << "photos.2020" << true << "Folder";
        QTest::newRow("leading dot is a name") << "home/.profile" << false << "File";
        QTest::newRow("trailing dot") << "name." << false << "File";
        QTest::newRow("full case mapping") << "stra\u00dfe.\u00e9\u00df" << false << "\u00c9SS";
    }

    void cellsShowTheListedTexts()
    {
        QFETCH(QString, path);
        QFETCH(bool, isFolder);
        QFETCH(QString, type);
        EntryTableModel model;
        model.setEntries({ArchiveEntry(path, "1 234", "", "2024-01-02 03:04:05.67", isFolder)});
        // The listed texts are shown as they are; only the type is derived.
        QStringList row;
        for (int column = 0; column < model.columnCount(); ++column)
            row.append(model.index(0, column).data().toString());
        QCOMPARE(row, (QStringList{path, "1 234", "", type, "2024-01-02 03:04:05.67"}));
    }

    void aMillionRowsStayInstant()
    {
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        c.window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(c.window()));
        auto *model = qobject_cast<EntryTableModel *>(table(c)->model());

        constexpr int count = 1000000;
        std::vector<ArchiveEntry> big;
        big.reserve(count);
        for (int i = 0; i < count; ++i)
            big.push_back(ArchiveEntry::fromUtf8(QByteArray("folder/file-") + QByteArray::number(i) + ".dat",
                                                 "1024", "512", "2024-01-01 00:00:00", false));

        // How fast this is, the benchmarks measure; here it must work at all.
        model->setEntries(std::move(big));
        QCoreApplication::processEvents();
        table(c)->scrollToBottom();
        QCoreApplication::processEvents();
        table(c)->viewport()->repaint();
        QCOMPARE(table(c)->rowAt(table(c)->viewport()->height() - 1), count - 1);

        model->setEntries({ArchiveEntry("small.txt", "1", "1", "", false)});
        table(c)->viewport()->repaint();
        QCOMPARE(rowCount(c), 1);
    }

    void headerImageComesFromTheResourceFolder()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("corvex.svg"),
                          "<svg xmlns='http://www.w3.org/2000/svg' width='36' height='36'>"
                          "<rect width='36' height='36' fill='#c33'/></svg>"));
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, dir.path());
        const QPixmap pixmap = part<QLabel>(c, "headerIcon")->pixmap();
        QVERIFY(!pixmap.isNull());
        QCOMPARE(pixmap.toImage().pixelColor(pixmap.width() / 2, pixmap.height() / 2), QColor("#c33"));
    }
};

QTEST_MAIN(CorvexWindowTest)
#include "CorvexWindowTest.moc"
