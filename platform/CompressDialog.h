#pragma once

#include "engine/NewArchiveOptions.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QGridLayout;
class QLabel;
class QLineEdit;

// The Compress dialog: the new archive's name and folder, its format, level,
// password and volumes. An option the format cannot take is disabled with
// the reason beside it (CreationRules decides). Return creates, Escape
// cancels. The last format, level and volume size are remembered; the
// password never is.
class CompressDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CompressDialog(const QStringList &items, QWidget *parent = nullptr);

    // What was chosen; complete once the dialog was accepted.
    NewArchiveChoice choice() const;

    void accept() override;

private:
    QLabel *reasonLabel(const char *name);
    void addRow(const QString &label, QWidget *field, QLabel *reason = nullptr);
    void formatChosen();
    void nameEdited(const QString &name);
    void chooseFolder();
    void update();
    NewFormat format() const;
    qint64 volumeBytes() const;
    void restore();
    void remember() const;

    QStringList m_items;
    QGridLayout *m_grid = nullptr;
    QLineEdit *m_name = nullptr;
    QLabel *m_nameReason = nullptr;
    QLineEdit *m_folder = nullptr;
    QComboBox *m_format = nullptr;
    QComboBox *m_level = nullptr;
    QLabel *m_levelReason = nullptr;
    QLineEdit *m_password = nullptr;
    QLineEdit *m_confirmation = nullptr;
    QCheckBox *m_show = nullptr;
    QLabel *m_passwordReason = nullptr;
    QCheckBox *m_encryptNames = nullptr;
    QLabel *m_encryptNamesReason = nullptr;
    QComboBox *m_volumes = nullptr;
    QLineEdit *m_volumeSize = nullptr;
    QLabel *m_volumesReason = nullptr;
    QCheckBox *m_separately = nullptr;
    QLabel *m_separatelyReason = nullptr;
    QLabel *m_problem = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
};
