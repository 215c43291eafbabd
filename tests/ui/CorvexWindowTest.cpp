// The window as built: its parts, where they sit, the table's set-up and its cells.
#include "UiTestSupport.h"

using namespace ui_test;

class CorvexWindowTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ArchiveEngine> m_engine;
    FakeDesktop m_desktop;
    std::unique_ptr<CorvexController> m_c;   // shown, shared by the checks of its parts

    QRect geometryOf(const char *name) const { return part<QWidget>(*m_c, name)->geometry(); }

private slots:
    void initTestCase()
    {
        m_engine = std::make_unique<ArchiveEngine>(kResources);
        m_c = std::make_unique<CorvexController>(*m_engine, m_desktop, QString());
        QCOMPARE(statusText(*m_c), QStringLiteral("Ready"));   // before it is shown
        m_c->window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_c->window()));
    }

    void startsEmptyWithItsParts()
    {
        const CorvexController &c = *m_c;
        QCOMPARE(pathText(c), QStringLiteral("Open an archive to begin"));
        QCOMPARE(rowCount(c), 0);
        QAbstractItemModel *model = table(c)->model();
        QStringList headers;
        for (int column = 0; column < model->columnCount(); ++column)
            headers.append(model->headerData(column, Qt::Horizontal).toString());
        QCOMPARE(headers, QStringList({"Name", "Size", "Packed", "Type", "Modified"}));
        QVERIFY(m_desktop.calls.isEmpty());

        auto titles = [&](const char *name) {
            QList<QAbstractButton *> buttons = part<QWidget>(c, name)->findChildren<QAbstractButton *>();
            std::sort(buttons.begin(), buttons.end(),
                      [](QAbstractButton *a, QAbstractButton *b) { return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x(); });
            QStringList result;
            for (QAbstractButton *b : buttons)
                result.append(b->text());
            return result;
        };
        QCOMPARE(titles("toolbar"), QStringList({"Open", "Extract", "Test", "Compress to ZIP", "View", "File Manager Actions"}));
        QCOMPARE(titles("sidebar"),
                 QStringList({"Open Archive", "Home", "Downloads", "Documents", "Desktop", "File Manager Actions"}));
    }

    void frames_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("pathLength");
        QTest::newRow("initial") << QSize(980, 640) << 0;
        QTest::newRow("minimum") << QSize(760, 460) << 0;
        QTest::newRow("minimum, long path") << QSize(760, 460) << 400;
    }

    void frames()
    {
        QFETCH(QSize, size);
        QFETCH(int, pathLength);
        if (!pathLength)
            QCOMPARE(m_c->window()->size(), QSize(980, 640));   // as first shown, or as the last row left it
        part<QLabel>(*m_c, "pathLabel")->setText(QString(pathLength, QLatin1Char('x')));
        m_c->window()->resize(size);
        QCoreApplication::processEvents();
        QCOMPARE(m_c->window()->size(), size);

        // Toolbar and status heights follow the font; everything else is fixed.
        const int w = size.width(), top = geometryOf("toolbar").height();
        const int statusHeight = geometryOf("statusLabel").height(), statusTop = size.height() - 10 - statusHeight;
        const QMap<QString, QRect> expected{
            {"toolbar", QRect(0, 0, geometryOf("toolbar").width(), top)},
            {"sidebar", QRect(0, top, 180, statusTop - 4 - top)},
            {"pathLabel", QRect(194, top + 2, w - 416, 28)},
            {"searchField", QRect(w - 214, top + 2, 200, 28)},
            {"entryTable", QRect(194, top + 40, w - 208, statusTop - 8 - (top + 40))},
            {"statusLabel", QRect(16, statusTop, w - 32, statusHeight)},
        };
        QMap<QString, QRect> actual;
        for (auto it = expected.begin(); it != expected.end(); ++it)
            actual[it.key()] = geometryOf(qPrintable(it.key()));
        QCOMPARE(actual, expected);
        QVERIFY(geometryOf("toolbar").width() <= w);
        m_c->window()->resize(980, 640);
        QCoreApplication::processEvents();
    }

    void aMillionRowsLoadAndScroll()
    {
        QTableView *view = table(*m_c);
        constexpr int count = 1000000;
        std::vector<ArchiveEntry> big;
        big.reserve(count);
        for (int i = 0; i < count; ++i)
            big.push_back(ArchiveEntry::fromUtf8(QByteArray("folder/file-") + QByteArray::number(i) + ".dat",
                                                 "1024", "512", "2024-01-01 00:00:00", false));
        qobject_cast<EntryTableModel *>(view->model())->setEntries(std::move(big));
        QCoreApplication::processEvents();
        view->scrollToBottom();
        QCoreApplication::processEvents();
        view->viewport()->repaint();
        QCOMPARE(view->rowAt(view->viewport()->height() - 1), count - 1);
        qobject_cast<EntryTableModel *>(view->model())->setEntries({ArchiveEntry("small.txt", "1", "1", "", false)});
        view->viewport()->repaint();
        QCOMPARE(rowCount(*m_c), 1);
    }

    void cellsShowTheListedTexts_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<QString>("type");
        QTest::newRow("last extension only") << "docs/backup.tar.gz" << false << "GZ";
        QTest::newRow("no dot in last component") << "v1.2/tool" << false << "File";
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
        QStringList row;
        for (int column = 0; column < model.columnCount(); ++column)
            row.append(model.index(0, column).data().toString());
        QCOMPARE(row, (QStringList{path, "1 234", "", type, "2024-01-02 03:04:05.67"}));
    }

    void headerImageComesFromTheResourceFolder()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("corvex.svg"), "<svg xmlns='http://www.w3.org/2000/svg' width='36' height='36'>"
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
