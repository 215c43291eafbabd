#include "platform/QtDesktop.h"

#include "platform/AlertText.h"
#include "platform/CompressDialog.h"
#include "platform/PasswordDialog.h"
#include "platform/ConflictBox.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSet>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>

namespace {

const QString applicationName = QStringLiteral("Corvex");

QWidget *dialogParent()
{
    return QApplication::activeWindow();
}

std::unique_ptr<QMessageBox> plainBox(QMessageBox::Icon icon, QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(applicationName);
    box->setIcon(icon);
    // Tool output and file names are never markup.
    box->setTextFormat(Qt::PlainText);
    box->setStandardButtons(QMessageBox::Ok);
    box->setDefaultButton(QMessageBox::Ok);
    // Escape closes every alert, whatever buttons Qt adds (Details).
    box->setEscapeButton(QMessageBox::Ok);
    return box;
}

// Qt guesses the informative text's format; keep a text that looks like
// markup literal.
QString literalInformativeText(const QString &text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style=\"white-space: pre-wrap\">%1</p>").arg(text.toHtmlEscaped());
}

// Choosing files and folders together: in the plain Qt dialog, "Open"
// takes the selection as it is, folders included, instead of entering a
// selected folder.
class FileAndFolderDialog : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    QStringList chosen;

    void accept() override
    {
        const QStringList selection = selectedFiles();
        const bool allThere = !selection.isEmpty()
            && std::all_of(selection.begin(), selection.end(),
                           [](const QString &path) { return QFileInfo::exists(path); });
        if (!allThere) {
            QFileDialog::accept();
            return;
        }
        chosen = selection;
        QDialog::accept();
    }
};

bool confirmReplace(const QString &path)
{
    QMessageBox box(dialogParent());
    box.setWindowTitle(applicationName);
    box.setIcon(QMessageBox::Warning);
    box.setTextFormat(Qt::PlainText);
    box.setText(QtDesktop::tr("“%1” already exists. Do you want to replace it?").arg(QFileInfo(path).fileName()));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

QtDesktop::QtDesktop(QObject *parent) : QObject(parent) {}

std::unique_ptr<QMessageBox> QtDesktop::errorBox(const QString &description, QWidget *parent)
{
    auto box = plainBox(QMessageBox::Critical, parent);
    const AlertText::Bounded text = AlertText::bound(description);
    box->setText(text.message);
    if (!text.details.isEmpty())
        box->setDetailedText(text.details);
    return box;
}

std::unique_ptr<QMessageBox> QtDesktop::errorReportBox(const QString &message, const QString &informativeText,
                                                      const QString &details, QWidget *parent)
{
    auto box = plainBox(QMessageBox::Critical, parent);
    // What a bound leaves out of the message and the lines stays in the details.
    box->setText(AlertText::bound(message).message);
    box->setInformativeText(literalInformativeText(AlertText::bound(informativeText).message));
    const AlertText::Bounded whole = AlertText::bound(details);
    if (!details.isEmpty())
        box->setDetailedText(whole.details.isEmpty() ? details : whole.details);
    return box;
}

std::unique_ptr<QMessageBox> QtDesktop::alertBox(AlertStyle style, const QString &message,
                                                 const QString &informativeText, QWidget *parent)
{
    auto box = plainBox(style == AlertStyle::Warning ? QMessageBox::Warning : QMessageBox::Information, parent);
    box->setText(message);
    box->setInformativeText(literalInformativeText(informativeText));
    return box;
}

void QtDesktop::showError(const QString &description)
{
    errorBox(description, dialogParent())->exec();
}

void QtDesktop::showErrorReport(const QString &message, const QString &informativeText, const QString &details)
{
    errorReportBox(message, informativeText, details, dialogParent())->exec();
}

void QtDesktop::showAlert(AlertStyle style, const QString &message, const QString &informativeText)
{
    alertBox(style, message, informativeText, dialogParent())->exec();
}

void QtDesktop::beep()
{
    QApplication::beep();
}

void QtDesktop::reveal(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    QStringList uris;
    for (const QString &path : paths)
        uris.append(QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded()));

    // No check whether a file manager is registered first: the call starts
    // one that is installed but not running.
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << uris << QString();
    const QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(call);
    ++m_pendingReveals;
    // Without a bus the call has failed already, and no watcher would hear of it.
    if (pending.isFinished()) {
        const bool failed = pending.isError();
        QMetaObject::invokeMethod(this, [this, paths, failed] { revealFinished(paths, failed); },
                                  Qt::QueuedConnection);
        return;
    }
    auto *watcher = new QDBusPendingCallWatcher(pending, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, paths](QDBusPendingCallWatcher *done) {
        done->deleteLater();
        revealFinished(paths, done->isError());
    });
}

void QtDesktop::revealFinished(const QStringList &paths, bool failed)
{
    if (failed) {
        QSet<QString> opened;
        for (const QString &path : paths) {
            const QString folder = QFileInfo(path).absolutePath();
            if (!opened.contains(folder)) {
                opened.insert(folder);
                QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
            }
        }
    }
    if (--m_pendingReveals == 0)
        emit pendingRevealsFinished();
}

void QtDesktop::waitForPendingReveals()
{
    if (!hasPendingReveals())
        return;
    // The bus answers every call, with an error at its timeout at the latest.
    QEventLoop loop;
    connect(this, &QtDesktop::pendingRevealsFinished, &loop, &QEventLoop::quit);
    loop.exec();
}

void QtDesktop::open(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QStringList QtDesktop::chooseFiles(const FileChoice &choice)
{
    const bool both = choice.files && choice.folders;
    FileAndFolderDialog dialog(dialogParent(), choice.title);
    if (both) {
        // Only Qt's own dialog lets folders be taken along with files.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::ExistingFiles);
    } else if (choice.folders) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog.setFileMode(choice.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::ReadOnly, !choice.canCreateFolders);
    if (!choice.prompt.isEmpty())
        dialog.setLabelText(QFileDialog::Accept, choice.prompt);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    QStringList chosen = both && !dialog.chosen.isEmpty() ? dialog.chosen : dialog.selectedFiles();
    if (!choice.multiple && chosen.size() > 1)
        chosen = chosen.mid(0, 1);
    return chosen;
}

QString QtDesktop::withRequiredSuffix(const QString &path, const QString &suffix)
{
    if (suffix.isEmpty() || QFileInfo(path).suffix().compare(suffix, Qt::CaseInsensitive) == 0)
        return path;
    return path.endsWith(QLatin1Char('.')) ? path + suffix : path + QLatin1Char('.') + suffix;
}

std::optional<QString> QtDesktop::chooseSaveFile(const SaveChoice &choice)
{
    QFileDialog dialog(dialogParent());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!choice.suffix.isEmpty())
        dialog.setNameFilter(QStringLiteral("%1 (*.%2)").arg(choice.suffix.toUpper(), choice.suffix));
    dialog.selectFile(choice.suggestedName);
    // The dialog asks before replacing the name typed; a name that gets its
    // suffix only here is asked about here.
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        const QString typed = dialog.selectedFiles().value(0);
        if (typed.isEmpty())
            return std::nullopt;
        const QString path = withRequiredSuffix(typed, choice.suffix);
        if (path == typed || !QFileInfo::exists(path) || confirmReplace(path))
            return path;
        dialog.selectFile(path);
    }
}

std::optional<QString> QtDesktop::askPassword(const PasswordPrompt &prompt)
{
    PasswordDialog dialog(prompt, dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.password();
}

std::optional<QString> QtDesktop::askNewPassword(const NewPasswordPrompt &prompt)
{
    PasswordDialog dialog(prompt, dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.password();
}

std::optional<NewArchiveChoice> QtDesktop::askNewArchive(const QStringList &items)
{
    CompressDialog dialog(items, dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

namespace {

class QtProgressWindow : public Desktop::ProgressWindow
{
public:
    QtProgressWindow(const QString &title, std::function<void()> cancel)
    {
        m_dialog.setWindowTitle(QStringLiteral("Corvex"));
        m_dialog.setLabelText(title);
        m_dialog.setCancelButtonText(QtDesktop::tr("Cancel"));
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        m_dialog.setMinimumDuration(0);
        m_dialog.setMinimumWidth(360);
        m_dialog.setRange(0, 0);
        // Its button, Escape and closing the window all cancel.
        QObject::connect(&m_dialog, &QProgressDialog::canceled, [this, cancel = std::move(cancel)] {
            if (!m_cancelled) {
                m_cancelled = true;
                cancel();
            }
        });
        m_dialog.show();
    }

    void setProgress(int percent) override
    {
        if (percent < 0) {
            m_dialog.setRange(0, 0);
            return;
        }
        m_dialog.setRange(0, 100);
        m_dialog.setValue(percent);
    }

private:
    QProgressDialog m_dialog;
    bool m_cancelled = false;
};

} // namespace

std::unique_ptr<Desktop::ProgressWindow> QtDesktop::showProgress(const QString &title, std::function<void()> cancel)
{
    return std::make_unique<QtProgressWindow>(title, std::move(cancel));
}

Answer QtDesktop::askConflict(const Question &question)
{
    ConflictBox box(question, dialogParent());
    box.exec();
    return box.answer();
}

bool QtDesktop::confirm(const QString &message, const QString &informativeText, const QString &action,
                        const QString &cancel)
{
    std::unique_ptr<QMessageBox> box = alertBox(AlertStyle::Warning, message, informativeText, dialogParent());
    box->setStandardButtons(QMessageBox::Cancel);
    if (!cancel.isEmpty())
        box->button(QMessageBox::Cancel)->setText(cancel);
    QAbstractButton *accept = box->addButton(action, QMessageBox::DestructiveRole);
    box->setDefaultButton(QMessageBox::Cancel);
    box->exec();
    return box->clickedButton() == accept;
}
