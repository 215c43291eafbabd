// Delete, Rename, Add and drops on the open archive through the real tool, in the Folders view: the keys, the
// question, the in-place editor, the folder shown as the place added to, and a format that cannot change.
#include "UiTestSupport.h"
#include "ui/FolderBrowser.h"

#include <QLineEdit>
#include <QMimeData>
#include <QSettings>

using namespace ui_test;

class ArchiveChangeTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ArchiveEngine> m_engine;

    static void select(CorvexController &c, const QString &name)
    {
        QTableView *view = c.folderBrowser()->table();
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            if (view->model()->index(row, 0).data().toString() == name)
                view->selectionModel()->select(view->model()->index(row, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    // photos.zip holding a.txt, b.txt and d/e.txt, made again for each case.
    QString freshZip()
    {
        const QString zip = m_dir.filePath("work/photos.zip");
        QFile::remove(zip);
        return makeZip(zip, m_dir.filePath("src"), {"a.txt", "b.txt", "d"}) ? zip : QString();
    }

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath("settings"));
        m_engine = std::make_unique<ArchiveEngine>(kResources);
        QVERIFY(QDir().mkpath(m_dir.filePath("tmp")));
        qputenv("TMPDIR", m_dir.filePath("tmp").toUtf8());   // View's copies stay in our folder
        QVERIFY(writeFile(m_dir.filePath("src/a.txt"), "a") && writeFile(m_dir.filePath("src/b.txt"), "b")
                && writeFile(m_dir.filePath("src/d/e.txt"), "e") && writeFile(m_dir.filePath("new/a.txt"), "new")
                && writeFile(m_dir.filePath("new/n.txt"), "n")
                && makeZip(m_dir.filePath("other.zip"), m_dir.filePath("src"), {"a.txt", "b.txt", "d"}));
    }

    void cleanupTestCase() { drainWork(); }

    void change_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("asked");
        const QStringList all{"a.txt", "b.txt", "d", "d/e.txt"};
        QTest::newRow("Delete key, one") << "select:a.txt key:Delete" << true << QStringList{"b.txt", "d", "d/e.txt"}
                                         << "confirm:Delete “a.txt” from “photos.zip”?";
        QTest::newRow("Delete key, several") << "select:a.txt select:d key:Delete" << true << QStringList{"b.txt"}
                                             << "confirm:Delete 2 items from “photos.zip”?";
        QTest::newRow("Delete declined") << "select:b.txt key:Delete" << false << all
                                         << "confirm:Delete “b.txt” from “photos.zip”?";
        QTest::newRow("F2 renames in place") << "select:a.txt key:F2 edit:z.txt" << false
                                             << QStringList{"b.txt", "d", "d/e.txt", "z.txt"} << "";
        QTest::newRow("an existing name refused") << "select:a.txt key:F2 edit:b.txt" << false << all
                                                  << "alert:“b.txt” already exists in this folder.";
        QTest::newRow("a slash refused") << "select:a.txt key:F2 edit:x/y" << false << all << "alert:A name cannot contain “/”.";
        QTest::newRow("Escape keeps the name") << "select:a.txt key:F2 escape:z.txt" << false << all << "";
        QTest::newRow("a name begun in another archive renames nothing")
            << "load:other.zip select:a.txt key:F2 load:photos.zip edit:z.txt" << false << all << "";
        QTest::newRow("Add Files into the folder shown") << "open:d add:n.txt" << false
                                                         << QStringList{"a.txt", "b.txt", "d", "d/e.txt", "d/n.txt"} << "";
        QTest::newRow("a drop adds") << "drop:n.txt" << false << QStringList{"a.txt", "b.txt", "d", "d/e.txt", "n.txt"} << "";
        QTest::newRow("a drop over a name keeps both") << "drop:a.txt" << false
                                                       << QStringList{"a 2.txt", "a.txt", "b.txt", "d", "d/e.txt"}
                                                       << "conflict:a.txt";
    }

    void change()
    {
        QFETCH(QString, steps);
        QFETCH(bool, confirm);
        QFETCH(QStringList, after);
        QFETCH(QString, asked);
        const QString zip = freshZip();
        QVERIFY(!zip.isEmpty());
        FakeDesktop desktop;
        desktop.queueConfirm(confirm);
        desktop.queueConflictAnswer(ConflictChoice::KeepBoth);
        CorvexController c(*m_engine, desktop, QString());
        c.setView(CorvexController::View::Folders);
        c.window()->show();
        c.window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(c.window()));
        load(c, zip, "4 items · in photos.zip");
        EntryTableView *view = c.folderBrowser()->table();
        view->clearSelection();
        for (const QString &step : steps.split(' ')) {
            const QString what = step.section(':', 0, 0), arg = step.section(':', 1);
            if (what != "edit" && what != "escape" && what != "load")
                view->setFocus();
            if (what == "select") {
                select(c, arg);
            } else if (what == "key") {
                QTest::keySequence(view, QKeySequence(arg));
            } else if (what == "edit" || what == "escape") {
                auto *editor = view->findChild<QLineEdit *>("renameEditor");
                QVERIFY(editor);
                QCOMPARE(editor->selectedText(), "a");
                editor->setText(arg);
                QTest::keyClick(editor, what == "edit" ? Qt::Key_Return : Qt::Key_Escape);
            } else if (what == "load") {
                load(c, arg == "photos.zip" ? zip : m_dir.filePath(arg), "4 items · in " + arg);
                view->clearSelection();
            } else if (what == "open") {
                select(c, arg);
                view->setCurrentIndex(view->selectionModel()->selectedRows().value(0));
                QTest::keyClick(view, Qt::Key_Return);
            } else if (what == "add") {
                desktop.queueChosenFiles({m_dir.filePath("new/" + arg)});
                click(c, "addFilesButton");
            } else if (what == "drop") {
                QMimeData data;
                data.setUrls({QUrl::fromLocalFile(m_dir.filePath("new/" + arg))});
                QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                QCoreApplication::sendEvent(c.window(), &enter);
                QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                QCoreApplication::sendEvent(c.window(), &drop);
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(memberPaths(zip), after, 10000);
        drainWork();
        QCOMPARE(memberPaths(zip), after);
        QStringList calls;
        for (const FakeDesktop::Call &call : desktop.calls)
            calls.append(call.kind + ':' + call.values.value(call.kind == "alert" ? 1 : 0));
        QCOMPARE(calls.filter(QRegularExpression("^(confirm|alert|conflict|error)")), asked.isEmpty() ? QStringList() : QStringList{asked});
        QCOMPARE(QDir(m_dir.filePath("work")).entryList(QDir::Files | QDir::Hidden), QStringList{"photos.zip"});
    }

    // A copy opened with View and saved by an editor that renames a new file over it is offered back.
    void editedMemberGoesBack_data()
    {
        QTest::addColumn<bool>("update");
        QTest::newRow("Update") << true;
        QTest::newRow("Not Now") << false;
    }
    void editedMemberGoesBack()
    {
        QFETCH(bool, update);
        const QString zip = freshZip();
        QVERIFY(!zip.isEmpty());
        FakeDesktop desktop;
        desktop.queueConfirm(update);
        CorvexController c(*m_engine, desktop, QString());
        c.setView(CorvexController::View::Folders);
        load(c, zip, "4 items · in photos.zip");
        select(c, "d");
        QTest::keyClick(c.folderBrowser()->table(), Qt::Key_Return);
        select(c, "e.txt");
        c.viewSelected();
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("open"), 1, 10000);
        const QString copy = desktop.calls.last().values.value(0);
        QVERIFY(writeFile(copy + ".new", "edited") && QFile::rename(copy + ".new", copy + ".x") && ::rename(qPrintable(copy + ".x"), qPrintable(copy)) == 0);
        QTRY_COMPARE_WITH_TIMEOUT(desktop.count("confirm"), 1, 10000);
        QCOMPARE(desktop.calls.last().values.value(0), "“e.txt” was changed. Update it in “photos.zip”?");
        drainWork();
        QTRY_COMPARE_WITH_TIMEOUT(statusText(c), QString(update ? "4 items · in photos.zip" : "Ready"), 10000);
        drainWork();
        const QString out = m_dir.filePath(QString("out-%1").arg(QTest::currentDataTag()));
        QVERIFY(runTool({"x", "-o" + out, "--", zip}));
        QCOMPARE(readFile(out + "/d/e.txt"), update ? "edited" : "e");
        QCOMPARE(memberPaths(zip), QStringList({"a.txt", "b.txt", "d", "d/e.txt"}));
    }

    // A format that cannot change says so where its actions are.
    void readOnlyFormatSaysWhy()
    {
        const QString gz = m_dir.filePath("a.deb");
        QVERIFY(runTool({"rc", gz, "a.txt"}, m_dir.filePath("src"), "ar"));
        FakeDesktop desktop;
        CorvexController c(*m_engine, desktop, QString());
        c.setView(CorvexController::View::AllFiles);
        load(c, gz, "1 items");
        auto *add = part<QAbstractButton>(c, "addFilesButton");
        QVERIFY(!add->isEnabled());
        QCOMPARE(add->toolTip(), "Corvex can't change an ar archive.");
        c.deleteSelected();
        QCOMPARE(desktop.kinds(), QStringList{"beep"});
    }
};

QTEST_MAIN(ArchiveChangeTest)
#include "ArchiveChangeTest.moc"
