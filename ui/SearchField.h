#pragma once

#include <QLineEdit>

// The filter text field. Escape clears it, and while the field has the
// focus no window shortcut takes Escape from it. Down and Return hand the
// keyboard on to the list it filters. Dropped files are left to the window.
class SearchField : public QLineEdit
{
    Q_OBJECT
public:
    explicit SearchField(QWidget *parent = nullptr);

    QSize sizeHint() const override;

signals:
    void leaveDownwards();
    // The field got the focus: a search is likely to follow.
    void focused();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
};
