#include "platform/PasswordDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QLabel *plainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    // Archive names are never markup.
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

// A name too long to wrap keeps its start and its end.
QString fileName(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    constexpr qsizetype kMost = 60;
    return name.size() <= kMost ? name : name.left(kMost / 2 - 1) + QChar(0x2026) + name.right(kMost / 2 - 1);
}

} // namespace

PasswordDialog::PasswordDialog(const QString &heading, const QString &note, bool warn, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Corvex"));
    setModal(true);

    auto *icon = new QLabel(this);
    const QIcon symbol = warn ? style()->standardIcon(QStyle::SP_MessageBoxWarning)
                              : QIcon::fromTheme(QStringLiteral("dialog-password"),
                                                 style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    icon->setPixmap(symbol.pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop);

    auto *headingLabel = plainLabel(heading, this);
    QFont bold = headingLabel->font();
    bold.setBold(true);
    headingLabel->setFont(bold);

    auto *text = new QVBoxLayout;
    text->addWidget(headingLabel);
    headingLabel->setMinimumWidth(340);
    if (!note.isEmpty())
        text->addWidget(plainLabel(note, this));
    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(text, 1);

    m_fields = new QFormLayout;
    m_show = new QCheckBox(tr("Show password"), this);
    m_show->setObjectName(QStringLiteral("showPassword"));
    m_problemLabel = plainLabel(QString(), this);
    m_problemLabel->setObjectName(QStringLiteral("problem"));
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(m_fields);
    layout->addWidget(m_show);
    layout->addWidget(m_problemLabel);
    layout->addWidget(m_buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QLineEdit *PasswordDialog::addField(const QString &label)
{
    auto *field = new QLineEdit(this);
    field->setEchoMode(QLineEdit::Password);
    field->setMinimumWidth(260);
    m_fields->addRow(label, field);
    // A pasted line keeps its line break, which the tool would take as the
    // password's end: drop it. One inside a password is refused.
    connect(field, &QLineEdit::textChanged, this, [this, field](const QString &text) {
        qsizetype end = text.size();
        while (end > 0 && (text[end - 1] == QLatin1Char('\n') || text[end - 1] == QLatin1Char('\r')))
            --end;
        if (end < text.size())
            field->setText(text.left(end));
        else
            update();
    });
    connect(m_show, &QCheckBox::toggled, field, [field](bool shown) {
        field->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    });
    return field;
}

PasswordDialog::PasswordDialog(const Desktop::PasswordPrompt &prompt, QWidget *parent)
    : PasswordDialog(tr("“%1” is protected by a password.").arg(fileName(prompt.archive)),
                     prompt.lastPasswordWrong ? tr("The password you entered was wrong. Try again.")
                                              : tr("Enter its password to go on."),
                     prompt.lastPasswordWrong, parent)
{
    setToolTip(prompt.archive);
    m_password = addField(tr("Password:"));
    m_password->setObjectName(QStringLiteral("password"));
    finish();
}

PasswordDialog::PasswordDialog(const Desktop::NewPasswordPrompt &prompt, QWidget *parent)
    : PasswordDialog(tr("Protect “%1” with a password?").arg(fileName(prompt.archive)),
                     tr("Leave both fields empty for no password. A password encrypts the "
                        "contents with AES-256; the names of the files stay readable."),
                     false, parent)
{
    m_problem = prompt.problem;
    m_password = addField(tr("Password:"));
    m_password->setObjectName(QStringLiteral("password"));
    m_confirmation = addField(tr("Confirm:"));
    m_confirmation->setObjectName(QStringLiteral("confirmation"));
    finish();
}

void PasswordDialog::finish()
{
    // The fields come first, whatever the order they were made in.
    QWidget *previous = m_password;
    for (QWidget *next : {static_cast<QWidget *>(m_confirmation), static_cast<QWidget *>(m_show),
                          static_cast<QWidget *>(m_buttons)}) {
        if (next) {
            setTabOrder(previous, next);
            previous = next;
        }
    }
    m_password->setFocus();
    update();
}

QString PasswordDialog::password() const
{
    return m_password->text();
}

void PasswordDialog::update()
{
    const QString typed = m_password->text();
    QString problem;
    if (typed.contains(QLatin1Char('\n')) || typed.contains(QLatin1Char('\r')))
        problem = tr("A password cannot hold a line break.");
    bool acceptable = problem.isEmpty() && !typed.isEmpty();
    if (m_confirmation) {
        const QString again = m_confirmation->text();
        if (problem.isEmpty() && m_problem)
            problem = m_problem(typed);
        if (problem.isEmpty() && !again.isEmpty() && again != typed)
            problem = tr("The passwords do not match.");
        acceptable = problem.isEmpty() && again == typed;
    }
    m_problemLabel->setText(problem);
    m_problemLabel->setVisible(!problem.isEmpty());
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(acceptable);
}
