#include "platform/ConflictBox.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QPushButton>
#include <QTextDocument>

namespace {

// "photos.zip/2024" for a member of folder 2024.
QString archiveFolder(const ::Question &question)
{
    const QString folder = QFileInfo(question.existingPath).path();
    const QString archive = QFileInfo(question.archive).fileName();
    return folder == QLatin1String(".") ? archive : archive + QLatin1Char('/') + folder;
}

} // namespace

ConflictBox::ConflictBox(const ::Question &question, QWidget *parent) : QMessageBox(parent)
{
    const QFileInfo existing(question.existingPath);
    setWindowTitle(QStringLiteral("Corvex"));
    setIcon(QMessageBox::Warning);
    // File names are never markup.
    setTextFormat(Qt::PlainText);
    setText((question.existingIsFolder ? tr("A folder named “%1” already exists in “%2”.")
                                       : tr("An item named “%1” already exists in “%2”."))
                .arg(existing.fileName(), question.inArchive ? archiveFolder(question) : existing.absolutePath()));
    // Whole sentences, so that a translation can decline "folder" and "file".
    QString detail = (question.newIsFolder
                          ? tr("“%1” holds a folder of the same name. Replace the existing one, keep both, or skip "
                               "the one from the archive?")
                          : tr("“%1” holds a file of the same name. Replace the existing one, keep both, or skip "
                               "the one from the archive?"))
                         .arg(QFileInfo(question.archive).fileName());
    if (question.inArchive)
        detail = tr("Replace the member in the archive, keep both, or skip the item being added?");
    if (question.existingIsFolder)
        detail += QLatin1Char(' ') + tr("Replacing removes the folder and everything in it.");
    // The informative text's format is guessed: keep it literal.
    setInformativeText(QStringLiteral("<p style=\"white-space: pre-wrap\">%1</p>").arg(detail.toHtmlEscaped()));

    // A new archive's name: Replace or Keep Both, each archive asked about alone.
    if (question.newArchive)
        setInformativeText(QStringLiteral("<p style=\"white-space: pre-wrap\">%1</p>")
                               .arg(tr("Replace it with the new archive, or keep both and name the new one “%1”?")
                                        .arg(QFileInfo(question.keptName).fileName())
                                        .toHtmlEscaped()));

    m_buttons[int(ConflictChoice::Replace)] = addButton(tr("Replace"), QMessageBox::DestructiveRole);
    m_buttons[int(ConflictChoice::KeepBoth)] = addButton(tr("Keep Both"), QMessageBox::AcceptRole);
    m_buttons[int(ConflictChoice::Skip)] = addButton(tr("Skip"), QMessageBox::ActionRole);
    m_buttons[int(ConflictChoice::Cancel)] = addButton(QMessageBox::Cancel);
    // Return loses nothing: both stay.
    setDefaultButton(static_cast<QPushButton *>(m_buttons[int(ConflictChoice::KeepBoth)]));
    setEscapeButton(m_buttons[int(ConflictChoice::Cancel)]);
    if (question.newArchive)
        m_buttons[int(ConflictChoice::Skip)]->hide();
    else
        setCheckBox(new QCheckBox(tr("Apply to all"), this));
}

Answer ConflictBox::answer() const
{
    Answer answer;
    for (int choice = 0; choice < 4; ++choice) {
        if (clickedButton() && clickedButton() == m_buttons[choice])
            answer.choice = ConflictChoice(choice);
    }
    answer.cancelled = answer.choice == ConflictChoice::Cancel;
    answer.applyToAll = !answer.cancelled && checkBox() && checkBox()->isChecked();
    return answer;
}
