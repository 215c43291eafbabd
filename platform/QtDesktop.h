#pragma once

#include "engine/Operation.h"
#include "platform/Desktop.h"

#include <QObject>
#include <memory>

class QMessageBox;
class QWidget;

// The desktop on Qt Widgets and the freedesktop file-manager interface.
// Alerts and file dialogs are modal and belong to the active window, if any.
class QtDesktop : public QObject, public Desktop
{
    Q_OBJECT

public:
    explicit QtDesktop(QObject *parent = nullptr);

    void showError(const QString &description) override;
    void showErrorReport(const QString &message, const QString &informativeText, const QString &details) override;
    void showAlert(AlertStyle style, const QString &message, const QString &informativeText) override;
    void beep() override;
    void reveal(const QStringList &paths) override;
    void open(const QString &path) override;
    QStringList chooseFiles(const FileChoice &choice) override;
    std::optional<QString> chooseSaveFile(const SaveChoice &choice) override;
    std::optional<QString> askPassword(const PasswordPrompt &prompt) override;
    std::optional<QString> askNewPassword(const NewPasswordPrompt &prompt) override;
    std::optional<NewArchiveChoice> askNewArchive(const QStringList &items) override;
    std::unique_ptr<ProgressWindow> showProgress(const QString &title, std::function<void()> cancel) override;
    Answer askConflict(const Question &question) override;
    bool confirm(const QString &message, const QString &informativeText, const QString &action,
                 const QString &cancel = QString()) override;

    // A reveal answers later; a process about to end waits for the answers
    // so that the call is delivered and a failed one still opens a folder.
    bool hasPendingReveals() const { return m_pendingReveals > 0; }
    void waitForPendingReveals();

    // The alerts as they will be shown, built without running them.
    static std::unique_ptr<QMessageBox> errorBox(const QString &description, QWidget *parent = nullptr);
    static std::unique_ptr<QMessageBox> errorReportBox(const QString &message, const QString &informativeText,
                                                       const QString &details, QWidget *parent = nullptr);
    static std::unique_ptr<QMessageBox> alertBox(AlertStyle style, const QString &message,
                                                 const QString &informativeText, QWidget *parent = nullptr);
    // The path a save dialog answers: `suffix` added unless the name already
    // ends in it (in any letter case).
    static QString withRequiredSuffix(const QString &path, const QString &suffix);

signals:
    void pendingRevealsFinished();

private:
    void revealFinished(const QStringList &paths, bool failed);

    int m_pendingReveals = 0;
};
