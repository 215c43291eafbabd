#pragma once

#include <QTableView>

// The entry table. A double-click anywhere in it asks for the selected row to
// be viewed, whichever row (if any) was under the pointer.
class EntryTableView : public QTableView
{
    Q_OBJECT
public:
    explicit EntryTableView(QWidget *parent = nullptr);

signals:
    void doubleClickedAnywhere();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
