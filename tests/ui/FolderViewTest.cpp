// The Folders view on a real archive: moving between folders, Extract
// Selected and the drag from inside one, search from any folder, and the
// view kept across starts.
#include "UiTestSupport.h"
#include "ui/DragOut.h"
#include "ui/EntryTableView.h"
#include "ui/FolderBrowser.h"
#include "ui/LocationBar.h"

#include <QLineEdit>
#include <QSettings>

using namespace ui_test;

namespace {

QString currentName(const CorvexController &c)
{
    const QModelIndex current = c.folderBrowser()->table()->currentIndex();
    return current.siblingAtColumn(0).data().toString();
}

int rowNamed(QTableView *view, const QString &name)
{
    for (int row = 0; row < view->model()->rowCount(); ++row)
        if (view->model()->index(row, 0).data().toString() == name)
            return row;
    return -1;
}

// "open:NAME" (Return on it), "key:SEQUENCE", "type:TEXT", "part:N" (a click on the location's part).
void follow(CorvexController &c, const QString &steps)
{
    EntryTableView *view = c.folderBrowser()->table();
    for (const QString &step : steps.split(' ', Qt::SkipEmptyParts)) {
        const QString what = step.section(':', 0, 0), arg = step.section(':', 1);
        view->setFocus();
        if (what == "open") {
            const int row = rowNamed(view, arg);
            QVERIFY2(row >= 0, qPrintable(arg));
            view->setCurrentIndex(view->model()->index(row, 0));
            QTest::keyClick(view, Qt::Key_Return);
        } else if (what == "key") {
            QTest::keySequence(view, QKeySequence(arg));
        } else if (what == "type") {
            QTest::keyClicks(view, arg);
        } else if (what == "part") {
            LocationBar *bar = c.folderBrowser()->locationBar();
            int x = 0;
            while (x < bar->width() && bar->partAt(QPoint(x, bar->height() / 2)) != arg.toInt())
                ++x;
            QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(x, bar->height() / 2));
        }
    }
}

} // namespace

class FolderViewTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ArchiveEngine> m_engine;
    QString m_zip;
    FakeDesktop m_desktop;
    std::unique_ptr<CorvexController> m_window;

    CorvexController &fresh(const QString &archive = {}, const QString &status = "6 items · in tree.zip")
    {
        m_window = std::make_unique<CorvexController>(*m_engine, m_desktop, QString());
        m_window->setView(CorvexController::View::Folders);
        m_window->window()->show();
        m_window->window()->activateWindow();
        if (!QTest::qWaitForWindowActive(m_window->window()))
            qWarning("window not active");
        load(*m_window, archive.isEmpty() ? m_zip : archive, status);
        return *m_window;
    }

    // Extract Selected of these rows into a new folder, named after the test.
    void extract(CorvexController &c, const QStringList &selected, QString *destination)
    {
        QTableView *view = c.folderBrowser()->table();
        view->clearSelection();
        for (const QString &row : selected)
            view->selectionModel()->select(view->model()->index(rowNamed(view, row), 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        *destination = m_dir.filePath(QString("out-%1-%2").arg(QTest::currentTestFunction(), QTest::currentDataTag()));
        QDir().mkpath(*destination);
        m_desktop.queueChosenFiles({*destination});
        c.extractSelected();
        UI_WAIT_FOR_STATUS(c, "Extracted to " + *destination);
    }

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath("settings"));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath("cache")));
        m_engine = std::make_unique<ArchiveEngine>(kResources);
        m_zip = m_dir.filePath("tree.zip");
        QVERIFY(runPython("import zipfile,sys\nwith zipfile.ZipFile(sys.argv[1],'w') as z:\n"
                          " for n in ['docs/2024/report.pdf','docs/2024/sub/a.txt','docs/other.txt','a//b/c.txt',"
                          "'top.txt','docs/']: z.writestr(n,'' if n.endswith('/') else n)\n",
                          {m_zip}));
    }

    void cleanupTestCase()
    {
        m_window.reset();
        drainWork();
    }

    void navigation_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("rows");
        QTest::newRow("up selects where it came from") << "open:docs open:2024 key:Backspace" << "docs" << "2024" << 2;
        QTest::newRow("Alt+Up at the top stays") << "key:Alt+Up" << "" << "a" << 3;
        QTest::newRow("back and forward") << "open:docs open:2024 key:Alt+Left key:Alt+Left key:Alt+Right"
                                          << "docs" << "2024" << 2;
        QTest::newRow("a visit drops what was ahead") << "open:docs key:Alt+Left open:a key:Alt+Right" << "a" << "b" << 1;
        QTest::newRow("a part of the location") << "open:docs open:2024 open:sub part:1" << "docs" << "2024" << 2;
        QTest::newRow("the top from the location") << "open:docs open:2024 part:0" << "" << "a" << 3;
        QTest::newRow("typing selects by name") << "open:docs type:oth" << "docs" << "other.txt" << 2;
        QTest::newRow("a folder spelled with //") << "open:a open:b" << "a/b" << "c.txt" << 1;
    }
    void navigation()
    {
        QFETCH(QString, steps);
        QFETCH(QString, location);
        QFETCH(QString, current);
        QFETCH(int, rows);
        CorvexController &c = fresh();
        follow(c, steps);
        QCOMPARE(c.folderBrowser()->location(), location);
        QCOMPARE(currentName(c), current);
        QCOMPARE(c.folderBrowser()->table()->model()->rowCount(), rows);
        QCOMPARE(statusText(c), "6 items · in " + (location.isEmpty() ? "tree.zip" : location));
    }

    // Through the real tool: what is selected lands at the destination's top, with all inside it.
    void extractAndDragFromInside_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QStringList>("tree");
        QTest::newRow("a file") << "open:docs open:2024" << QStringList{"report.pdf"} << QStringList{"report.pdf"};
        QTest::newRow("a folder and a file") << "open:docs" << QStringList{"2024", "other.txt"}
                                             << QStringList{"2024", "2024/report.pdf", "2024/sub", "2024/sub/a.txt",
                                                            "other.txt"};
        QTest::newRow("a folder only its members name") << "open:a" << QStringList{"b"}
                                                        << QStringList{"b", "b/c.txt"};
        QTest::newRow("everything at the top") << "" << QStringList{"a", "docs", "top.txt"}
                                               << QStringList{"a", "a/b", "a/b/c.txt", "docs", "docs/2024",
                                                              "docs/2024/report.pdf", "docs/2024/sub",
                                                              "docs/2024/sub/a.txt", "docs/other.txt", "top.txt"};
    }
    void extractAndDragFromInside()
    {
        QFETCH(QString, steps);
        QFETCH(QStringList, selected);
        QFETCH(QStringList, tree);
        CorvexController &c = fresh();
        follow(c, steps);
        QString destination;
        extract(c, selected, &destination);
        QCOMPARE(test_support::tree(destination), tree);

        // A drag offers the selected items themselves, by their own names.
        emit c.folderBrowser()->table()->dragRequested();
        UI_WAIT_FOR_STATUS(c, QString("%1 item(s) ready: drag them again to drop them").arg(selected.size()));
        const QString kept = DragOut::base() + '/' + QDir(DragOut::base()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).value(0);
        QStringList offered;
        for (const QUrl &url : DragOut::urls(kept, c.selectedMembers()))
            offered.append(url.fileName());
        QCOMPARE(offered, selected);
    }

    // Names decoded from an old code page name the folders, and through them the members to the tool.
    void oldCodePageNames()
    {
        const QString old = m_dir.filePath("old.zip");
        QVERIFY(makeCodePageZip(old, "cp866", {"Мир/Привет.txt", "Мир/b.txt"}));
        CorvexController &c = fresh(old, "2 items · in old.zip");
        follow(c, "open:Мир");
        QCOMPARE(currentName(c), "b.txt");
        QString destination;
        extract(c, {"Привет.txt"}, &destination);
        QCOMPARE(test_support::tree(destination), QStringList{"Привет.txt"});
    }

    void searchAndShowInFolder()
    {
        CorvexController &c = fresh();
        follow(c, "open:docs");
        auto *search = part<QLineEdit>(c, "searchField");
        search->setText("A.TXT");
        UI_WAIT_FOR_STATUS(c, QStringLiteral("1 of 6 items · in docs"));
        QVERIFY(table(c)->isVisible());
        QCOMPARE(cell(c, 0, 0), "docs/2024/sub/a.txt");
        table(c)->selectRow(0);
        c.showInFolder();
        QVERIFY(search->text().isEmpty() && c.folderBrowser()->table()->isVisible());
        QCOMPARE(c.folderBrowser()->location(), "docs/2024/sub");
        QCOMPARE(currentName(c), "a.txt");
    }

    void viewKeptAcrossStarts()
    {
        QSettings().clear();
        const auto started = [this] { return CorvexController(*m_engine, m_desktop, QString()).view(); };
        QCOMPARE(started(), CorvexController::View::AllFiles);
        CorvexController(*m_engine, m_desktop, QString()).setView(CorvexController::View::Folders);
        QCOMPARE(started(), CorvexController::View::Folders);
    }
};

QTEST_MAIN(FolderViewTest)
#include "FolderViewTest.moc"
