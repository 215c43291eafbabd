#pragma once

#include "engine/Operation.h"

#include <QMessageBox>

// The question asked when an extracted item's name already exists: it names
// the existing item and its folder, and offers Replace, Keep Both, Skip and
// Cancel (also Escape), with "Apply to all" for the conflicts that follow.
// (::Question: inside a QMessageBox, Question is an icon.)
class ConflictBox : public QMessageBox
{
    Q_OBJECT

public:
    explicit ConflictBox(const ::Question &question, QWidget *parent = nullptr);

    QAbstractButton *buttonFor(ConflictChoice choice) const { return m_buttons[int(choice)]; }
    // For the button clicked; Cancel when the box was closed otherwise.
    Answer answer() const;

private:
    QAbstractButton *m_buttons[4] = {};
};
