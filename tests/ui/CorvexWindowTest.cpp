// The window as built: its parts at the smallest size, a million rows, the table's cells and the header image.
#include "UiTestSupport.h"

#include <QStyledItemDelegate>

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

class CorvexWindowTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ArchiveEngine> m_engine;
    FakeDesktop m_desktop;
    std::unique_ptr<CorvexController> m_c;   // shown, shared by the checks of its parts

private slots:
    void initTestCase()
    {
        m_engine = std::make_unique<ArchiveEngine>(kResources);
        m_c = std::make_unique<CorvexController>(*m_engine, m_desktop, QString());
        m_c->window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_c->window()));
    }

    // At the smallest size, with a path far too long to show: the window keeps its size, and every part
    // lies inside it, overlapping no other.
    void partsFitWithoutOverlap()
    {
        part<QLabel>(*m_c, "pathLabel")->setText(QString(400, QLatin1Char('x')));
        m_c->window()->resize(760, 460);
        QCoreApplication::processEvents();
        QCOMPARE(m_c->window()->size(), QSize(760, 460));
        const char *names[] = {"toolbar", "sidebar", "pathLabel", "searchField", "entryTable", "statusLabel"};
        for (const char *a : names) {
            const QRect shape = part<QWidget>(*m_c, a)->geometry();
            QVERIFY2(m_c->window()->rect().contains(shape), a);
            for (const char *b : names)
                QVERIFY2(a == b || !shape.intersects(part<QWidget>(*m_c, b)->geometry()),
                         qPrintable(QStringLiteral("%1 overlaps %2").arg(a, b)));
        }
    }

    // What lets a million rows scale: the view reads only the rows it shows, after the reset and scrolled.
    void aMillionRowsAreReadOnlyWhereShown()
    {
        QTableView *view = table(*m_c);
        RowRecorder recorder;
        view->setItemDelegate(&recorder);
        constexpr int count = 1000000;
        std::vector<ArchiveEntry> big;
        big.reserve(count);
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
        model->setEntries({ArchiveEntry("small.txt", "1", "1", "", false)});
        view->setItemDelegate(nullptr);
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
