#pragma once

#include "platform/Desktop.h"

#include <QDialog>

class QCheckBox;
class QDialogButtonBox;
class QFormLayout;
class QLabel;
class QLineEdit;

// The password questions as modal dialogs: a masked field with a "Show
// password" toggle, OK and Cancel (Escape and closing the window cancel).
// The new-password form has a second field; OK needs both to match and the
// prompt's check to pass, or both empty for no password.
class PasswordDialog : public QDialog
{
    Q_OBJECT

public:
    PasswordDialog(const Desktop::PasswordPrompt &prompt, QWidget *parent = nullptr);
    PasswordDialog(const Desktop::NewPasswordPrompt &prompt, QWidget *parent = nullptr);

    QString password() const;

private:
    PasswordDialog(const QString &heading, const QString &note, bool warn, QWidget *parent);
    QLineEdit *addField(const QString &label);
    void finish();
    void update();

    std::function<QString(const QString &)> m_problem;
    QFormLayout *m_fields = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_confirmation = nullptr;
    QCheckBox *m_show = nullptr;
    QLabel *m_problemLabel = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
