#pragma once

#include "engine/Operation.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <utility>
#include <vector>

class ActivityIndicator;
class EncodingMenu;
class EntryTableModel;
class EntryTableView;
class FolderBrowser;
class NameRecovery;
class QAbstractButton;
class QLabel;
class QStackedWidget;
class SearchField;

// The main window's widgets: the toolbar, the quick-access sidebar, the path
// row with the view switch, the search field, the two tables, the status line
// and the activity indicator, placed by WindowLayout. It knows nothing of
// archives: a button, a key or a drop becomes a signal, and the controller
// says what shows.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    // What a button or a window key asks for.
    enum class Command {
        Open, Extract, Test, CreateZip, Compress, AddFiles, AddFolder, View, FileManagerActions, Encoding,
        Home, Downloads, Documents, Desktop, Delete, Rename,
    };
    enum class View { AllFiles, Folders };

    // The header image is `corvex.svg` in the resource folder, else the application's icon.
    explicit MainWindow(const QString &resourceFolder, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The views the controller hands models and takes selections from.
    EntryTableView *table() const { return m_table; }
    FolderBrowser *folders() const { return m_folders; }
    // The Folders view's table while it shows, else the list of all files.
    EntryTableView *activeTable() const;
    bool folderTableShown() const;

    // The list of all files shows this model, in the window's look.
    void setEntryModel(EntryTableModel *model);
    void setStatus(const QString &text);
    QString status() const;
    void setPath(const QString &path);
    // A toolbar button's state; `why` is its tooltip.
    void setCommandEnabled(Command command, bool enabled, const QString &why);
    // The Encoding button shows only for names in an old code page.
    void setNames(const NameRecovery &names);
    void showEncodings();
    void startActivity();
    void showProgress(const OperationProgress &progress);
    void finishActivity();

    QString searchText() const;
    void clearSearch();
    // Listing order, no column marked.
    void clearSort();
    // Shows the view's path and table (a search lists its hits in either);
    // true when the table shown changed.
    bool showPages(View view, bool archiveOpen);
    // The keyboard moves the current row of the list without always
    // selecting it; Return and the search field's Down act on it.
    void selectCurrentRow();
    // Edits the member's name in place over the table's selected row;
    // false without one. nameEdited follows when the name is changed.
    bool editName(const QString &member);

signals:
    void commandRequested(MainWindow::Command command);
    void viewRequested(MainWindow::View view);
    void cancelRequested();
    // Return or a double-click on a row that is not a folder to open.
    void rowActivated();
    void memberMenuRequested(const QPoint &globalPosition);
    void dragRequested();
    void searchChanged(const QString &text);
    void searchFocused();
    void encodingChosen(int codePage);
    void itemsDropped(const QStringList &items);
    void nameEdited(const QString &member, const QString &name);
    void closing();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct ButtonEntry {
        const char *name;
        QString title;
        QString symbol;
        Command command;
    };
    QAbstractButton *button(const QString &title, const QString &symbol, Command command);
    QAbstractButton *sidebarButton(const QString &title, const QString &symbol, Command command);
    QWidget *buildToolbar();
    QWidget *buildSidebar(const QString &resourceFolder);
    void buildTable();
    void buildFolders();
    void buildKeys();

    EntryTableView *m_table = nullptr;
    FolderBrowser *m_folders = nullptr;
    QLabel *m_pathLabel = nullptr;
    QLabel *m_statusLabel = nullptr;
    ActivityIndicator *m_activity = nullptr;
    SearchField *m_searchField = nullptr;
    EncodingMenu *m_encodingMenu = nullptr;
    QAbstractButton *m_encodingButton = nullptr;
    std::vector<std::pair<Command, QAbstractButton *>> m_toolbarButtons;
    QStackedWidget *m_pathPages = nullptr;
    QStackedWidget *m_tablePages = nullptr;
    QAbstractButton *m_allFilesButton = nullptr;
    QAbstractButton *m_foldersButton = nullptr;
};
