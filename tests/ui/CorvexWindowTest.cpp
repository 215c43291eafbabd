// The window's table: a million rows read only where shown, and the type column.
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

private slots:

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
};

QTEST_MAIN(CorvexWindowTest)
#include "CorvexWindowTest.moc"
