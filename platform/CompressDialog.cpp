#include "platform/CompressDialog.h"

#include "engine/CreationRules.h"
#include "engine/FileNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace {

const QString kFormatKey = QStringLiteral("compress/format");
const QString kLevelKey = QStringLiteral("compress/level");
const QString kVolumesKey = QStringLiteral("compress/volumes");
constexpr qint64 kOtherSize = -1;

QLabel *plainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

} // namespace

CompressDialog::CompressDialog(const QStringList &items, QWidget *parent) : QDialog(parent), m_items(items)
{
    setWindowTitle(QStringLiteral("Corvex"));
    setModal(true);
    auto *heading = plainLabel(items.size() == 1 ? tr("Compress “%1”").arg(QFileInfo(items.first()).fileName())
                                                 : tr("Compress %n items", nullptr, int(items.size())),
                               this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    m_grid = new QGridLayout;
    m_grid->setColumnStretch(1, 1);
    m_grid->setColumnMinimumWidth(2, 240);

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setMinimumWidth(260);
    m_nameReason = reasonLabel("nameReason");
    addRow(tr("Name:"), m_name, m_nameReason);
    connect(m_name, &QLineEdit::textEdited, this, &CompressDialog::nameEdited);

    auto *folderRow = new QWidget(this);
    auto *folderLayout = new QHBoxLayout(folderRow);
    folderLayout->setContentsMargins(0, 0, 0, 0);
    m_folder = new QLineEdit(FileNames::parentFolder(items.value(0)), folderRow);
    m_folder->setObjectName(QStringLiteral("folder"));
    auto *choose = new QPushButton(tr("Choose…"), folderRow);
    choose->setAutoDefault(false);
    folderLayout->addWidget(m_folder, 1);
    folderLayout->addWidget(choose);
    connect(choose, &QPushButton::clicked, this, &CompressDialog::chooseFolder);
    addRow(tr("Folder:"), folderRow);

    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("format"));
    for (const CreationRules::FormatRow &row : CreationRules::formats())
        m_format->addItem(QString::fromLatin1(row.label), int(row.format));
    addRow(tr("Format:"), m_format);

    m_level = new QComboBox(this);
    m_level->setObjectName(QStringLiteral("level"));
    m_level->addItems({tr("Store"), tr("Fast"), tr("Normal"), tr("Maximum")});
    m_levelReason = reasonLabel("levelReason");
    addRow(tr("Level:"), m_level, m_levelReason);

    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("password"));
    m_confirmation = new QLineEdit(this);
    m_confirmation->setObjectName(QStringLiteral("confirmation"));
    m_passwordReason = reasonLabel("passwordReason");
    addRow(tr("Password:"), m_password, m_passwordReason);
    addRow(tr("Confirm:"), m_confirmation);
    m_show = new QCheckBox(tr("Show password"), this);
    addRow(QString(), m_show);
    for (QLineEdit *field : {m_password, m_confirmation}) {
        field->setEchoMode(QLineEdit::Password);
        connect(field, &QLineEdit::textChanged, this, &CompressDialog::update);
        connect(m_show, &QCheckBox::toggled, field, [field](bool shown) {
            field->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
        });
    }
    m_encryptNames = new QCheckBox(tr("Encrypt file names"), this);
    m_encryptNames->setObjectName(QStringLiteral("encryptNames"));
    m_encryptNamesReason = reasonLabel("encryptNamesReason");
    addRow(QString(), m_encryptNames, m_encryptNamesReason);

    auto *volumeRow = new QWidget(this);
    auto *volumeLayout = new QHBoxLayout(volumeRow);
    volumeLayout->setContentsMargins(0, 0, 0, 0);
    m_volumes = new QComboBox(volumeRow);
    m_volumes->setObjectName(QStringLiteral("volumes"));
    m_volumes->addItem(tr("No"), qint64(0));
    for (const qint64 preset : CreationRules::volumePresets())
        m_volumes->addItem(CreationRules::volumeSizeText(preset), preset);
    m_volumes->addItem(tr("Other size…"), kOtherSize);
    m_volumeSize = new QLineEdit(volumeRow);
    m_volumeSize->setObjectName(QStringLiteral("volumeSize"));
    m_volumeSize->setPlaceholderText(tr("e.g. 100 MB"));
    volumeLayout->addWidget(m_volumes);
    volumeLayout->addWidget(m_volumeSize, 1);
    m_volumesReason = reasonLabel("volumesReason");
    addRow(tr("Split into volumes:"), volumeRow, m_volumesReason);

    m_separately = new QCheckBox(tr("Each item in its own archive"), this);
    m_separately->setObjectName(QStringLiteral("separately"));
    m_separatelyReason = reasonLabel("separatelyReason");
    addRow(QString(), m_separately, m_separatelyReason);

    m_problem = plainLabel(QString(), this);
    m_problem->setObjectName(QStringLiteral("problem"));
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton *create = m_buttons->addButton(tr("Create"), QDialogButtonBox::AcceptRole);
    create->setObjectName(QStringLiteral("create"));
    create->setDefault(true);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(m_grid);
    layout->addWidget(m_problem);
    layout->addStretch(1);
    layout->addWidget(m_buttons);

    restore();
    connect(m_format, &QComboBox::activated, this, &CompressDialog::formatChosen);
    for (QComboBox *box : {m_level, m_volumes})
        connect(box, &QComboBox::currentIndexChanged, this, &CompressDialog::update);
    for (QLineEdit *field : {m_name, m_folder, m_volumeSize})
        connect(field, &QLineEdit::textChanged, this, &CompressDialog::update);
    for (QCheckBox *box : {m_encryptNames, m_separately})
        connect(box, &QCheckBox::toggled, this, &CompressDialog::update);

    m_name->setText(CreationRules::proposedName(items.value(0), format()));
    m_name->setSelection(0, int(CreationRules::stemLength(m_name->text())));
    m_name->setFocus();
    update();
}

QLabel *CompressDialog::reasonLabel(const char *name)
{
    auto *label = plainLabel(QString(), this);
    label->setObjectName(QString::fromLatin1(name));
    label->setForegroundRole(QPalette::PlaceholderText);
    // Room for the longest reason at the dialog's smallest size, which
    // the grid's minimum does not leave for wrapped text.
    label->setMinimumHeight(label->fontMetrics().lineSpacing() * 3);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

void CompressDialog::addRow(const QString &label, QWidget *field, QLabel *reason)
{
    const int row = m_grid->rowCount();
    if (!label.isEmpty())
        m_grid->addWidget(new QLabel(label, this), row, 0);
    m_grid->addWidget(field, row, 1);
    if (reason)
        m_grid->addWidget(reason, row, 2);
}

NewFormat CompressDialog::format() const
{
    return NewFormat(m_format->currentData().toInt());
}

qint64 CompressDialog::volumeBytes() const
{
    const qint64 chosen = m_volumes->currentData().toLongLong();
    if (chosen != kOtherSize)
        return chosen;
    return CreationRules::parseVolumeSize(m_volumeSize->text()).value_or(kOtherSize);
}

void CompressDialog::formatChosen()
{
    m_name->setText(CreationRules::withFormat(m_name->text(), format()));
    update();
}

// A typed extension chooses its format; the name stays as typed.
void CompressDialog::nameEdited(const QString &name)
{
    if (const auto named = CreationRules::formatOfName(name))
        m_format->setCurrentIndex(m_format->findData(int(*named)));
    update();
}

void CompressDialog::chooseFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Choose a folder"), m_folder->text());
    if (!folder.isEmpty())
        m_folder->setText(folder);
}

void CompressDialog::update()
{
    const NewFormat chosen = format();
    const auto show = [](QLabel *reason, const QString &text) {
        reason->setText(text);
        reason->setVisible(!text.isEmpty());
    };

    const bool separately = m_separately->isChecked() && m_items.size() > 1;
    m_separately->setEnabled(m_items.size() > 1);
    show(m_separatelyReason, m_items.size() > 1 ? QString() : tr("Only one item is chosen."));
    m_name->setEnabled(!separately);
    show(m_nameReason, separately ? tr("Each archive is named after its item.") : QString());

    const QString compression = CreationRules::levelRefusal(chosen, NewLevel::Normal);
    const QString storing = CreationRules::levelRefusal(chosen, NewLevel::Store);
    m_level->setEnabled(compression.isEmpty());
    if (auto *model = qobject_cast<QStandardItemModel *>(m_level->model()))
        model->item(int(NewLevel::Store))->setEnabled(storing.isEmpty());
    if (!storing.isEmpty() && m_level->currentIndex() == int(NewLevel::Store))
        m_level->setCurrentIndex(int(NewLevel::Normal));
    show(m_levelReason, compression.isEmpty() ? storing : compression);

    const QString passwordRefusal = CreationRules::passwordRefusal(chosen);
    for (QWidget *field : {static_cast<QWidget *>(m_password), static_cast<QWidget *>(m_confirmation),
                           static_cast<QWidget *>(m_show)})
        field->setEnabled(passwordRefusal.isEmpty());
    show(m_passwordReason, passwordRefusal);
    const QString password = passwordRefusal.isEmpty() ? m_password->text() : QString();
    const QString namesRefusal = CreationRules::encryptNamesRefusal(chosen, !password.isEmpty());
    m_encryptNames->setEnabled(namesRefusal.isEmpty());
    show(m_encryptNamesReason, namesRefusal);

    const bool otherSize = m_volumes->currentData().toLongLong() == kOtherSize;
    m_volumeSize->setVisible(otherSize);
    show(m_volumesReason, QString());

    QString problem;
    if (!separately)
        problem = CreationRules::nameProblem(m_name->text());
    if (problem.isEmpty() && !QFileInfo(m_folder->text()).isDir())
        problem = tr("Choose a folder that exists.");
    if (problem.isEmpty())
        problem = CreationRules::passwordProblem(chosen, password);
    if (problem.isEmpty() && passwordRefusal.isEmpty() && m_confirmation->text() != password)
        problem = m_confirmation->text().isEmpty() ? tr("Type the password again to confirm it.")
                                                   : tr("The passwords do not match.");
    if (problem.isEmpty() && volumeBytes() == kOtherSize)
        problem = tr("Type a volume size of at least %1, such as “100 MB”.")
                      .arg(CreationRules::volumeSizeText(CreationRules::kSmallestVolume));
    m_problem->setText(problem);
    m_problem->setVisible(!problem.isEmpty());
    for (QAbstractButton *button : m_buttons->buttons()) {
        if (m_buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
            button->setEnabled(problem.isEmpty());
    }
}

NewArchiveChoice CompressDialog::choice() const
{
    NewArchiveChoice choice;
    choice.folder = QFileInfo(m_folder->text()).absoluteFilePath();
    choice.name = m_name->text();
    choice.options.format = format();
    choice.options.level = m_level->isEnabled() ? NewLevel(m_level->currentIndex()) : NewLevel::Normal;
    choice.options.volumeBytes = std::max<qint64>(0, volumeBytes());
    if (CreationRules::passwordRefusal(format()).isEmpty())
        choice.password = m_password->text();
    choice.options.encryptNames = m_encryptNames->isEnabled() && m_encryptNames->isChecked();
    choice.separately = m_separately->isChecked() && m_items.size() > 1;
    return choice;
}

void CompressDialog::accept()
{
    update();
    if (m_problem->isVisible())
        return;
    remember();
    QDialog::accept();
}

void CompressDialog::restore()
{
    const QSettings settings;
    const auto named = CreationRules::formatOfName(QStringLiteral("x.") + settings.value(kFormatKey).toString());
    m_format->setCurrentIndex(std::max(0, m_format->findData(int(named.value_or(NewFormat::Zip)))));
    m_level->setCurrentIndex(std::clamp(settings.value(kLevelKey, int(NewLevel::Normal)).toInt(), 0, 3));
    const qint64 volumes = settings.value(kVolumesKey, 0).toLongLong();
    const int preset = m_volumes->findData(volumes);
    m_volumes->setCurrentIndex(preset >= 0 ? preset : m_volumes->count() - 1);
    if (preset < 0)
        m_volumeSize->setText(CreationRules::volumeSizeText(volumes));
}

void CompressDialog::remember() const
{
    QSettings settings;
    settings.setValue(kFormatKey, QString::fromLatin1(CreationRules::row(format()).extension));
    settings.setValue(kLevelKey, m_level->currentIndex());
    settings.setValue(kVolumesKey, std::max<qint64>(0, volumeBytes()));
}
