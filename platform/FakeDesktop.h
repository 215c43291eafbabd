#pragma once

#include "engine/Operation.h"
#include "platform/Desktop.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

// Records every call in order and answers file dialogs from a script, for tests.
class FakeDesktop : public Desktop
{
public:
    struct Call {
        // "error", "errorReport", "alert", "beep", "reveal", "open", "chooseFiles",
        // "chooseSaveFile", "progress", "conflict", "password" (archive, then
        // "wrong" when it said so), "newPassword" (archive), "newArchive" (the items). Never the
        // password answered. Prefixed "off the main thread: " when called
        // from elsewhere, which the real desktop cannot survive.
        QString kind;
        QStringList values;  // what the call carried, in a fixed order per kind
    };

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

    // Answers for the next file dialogs, first in first out. An empty list or a
    // nullopt is a cancel; with nothing queued a file dialog is cancelled.
    void queueChosenFiles(const QStringList &paths) { m_chosenFiles.enqueue(paths); }
    void queueSaveFile(const std::optional<QString> &path) { m_saveFiles.enqueue(path); }
    // Passwords leave the queue as they are answered. A new password its
    // prompt's check refuses is a cancel: the real dialog keeps OK off.
    void queuePasswordAnswer(const std::optional<QString> &password) { m_passwordAnswers.enqueue(password); }
    void queueNewPasswordAnswer(const std::optional<QString> &password) { m_newPasswordAnswers.enqueue(password); }
    // The Compress dialog's answers; with nothing queued it is cancelled.
    void queueNewArchiveAnswer(const std::optional<NewArchiveChoice> &choice) { m_newArchiveAnswers.enqueue(choice); }
    // The same for conflict questions; with nothing queued the answer is Cancel.
    void queueConflictAnswer(ConflictChoice choice, bool applyToAll = false);
    // Answers for confirm(), "confirm" (message, action); with nothing queued, Cancel.
    void queueConfirm(bool accept) { m_confirmAnswers.enqueue(accept); }
    // Runs while a conflict question is open, before it is answered.
    std::function<void(const Question &)> onConflict;

    QList<Call> calls;

    QStringList kinds() const;
    int count(const QString &kind) const;
    void clear() { calls.clear(); }

private:
    void record(const QString &kind, const QStringList &values);

    QQueue<QStringList> m_chosenFiles;
    QQueue<std::optional<QString>> m_saveFiles;
    QQueue<std::optional<QString>> m_passwordAnswers;
    QQueue<std::optional<QString>> m_newPasswordAnswers;
    QQueue<Answer> m_conflictAnswers;
    QQueue<bool> m_confirmAnswers;
    QQueue<std::optional<NewArchiveChoice>> m_newArchiveAnswers;
};
