#pragma once

#include "engine/NewArchiveOptions.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "engine/Operation.h"

struct FailureReport;

// Everything the application asks of the desktop: alerts, file dialogs, questions,
// the beep, revealing items in the file manager and opening files. The application
// creates one and hands it down; tests hand down a recording fake.
class Desktop
{
public:
    enum class AlertStyle { Warning, Informational };

    // Members all have initializers, so that a choice can name only those it sets.
    struct FileChoice {
        QString title = {};
        QString prompt = {};   // the accept button's text; empty: the default
        bool files = true;
        bool folders = false;
        bool canCreateFolders = false;
        bool multiple = false;
    };

    struct SaveChoice {
        QString suggestedName = {};
        QString suffix = {};   // e.g. "zip"; empty: any
    };

    // An archive's password. Says the last one was wrong only when told so:
    // never before a first try.
    struct PasswordPrompt {
        QString archive;   // its path; the dialog names the file
        bool lastPasswordWrong = false;
    };

    // A new archive's optional password, typed twice.
    struct NewPasswordPrompt {
        QString archive;
        // Why a password cannot be used, or empty when it can; OK stays off
        // while it says something. Unset: any password.
        std::function<QString(const QString &)> problem;
    };

    // A small window for work that takes a while: what it is about, a bar
    // and Cancel. It closes when the object goes.
    class ProgressWindow
    {
    public:
        virtual ~ProgressWindow() = default;
        // A percentage, or a negative number when there is none (busy).
        virtual void setProgress(int percent) = 0;
    };

    virtual ~Desktop() = default;

    // The user's answer to a question an operation raised: the window and
    // the command line answer alike.
    Answer answer(const Question &question);
    // A failure report, alike in the window and the command line: a refusal
    // alone as the screen's warning, anything else as an error alert.
    void showFailure(const FailureReport &report);

    // A modal alert whose message is a failure's description.
    virtual void showError(const QString &description) = 0;
    // A modal error alert for a failed operation: the sentence, the lines
    // that matter under it, and the whole text behind the Details button.
    virtual void showErrorReport(const QString &message, const QString &informativeText, const QString &details) = 0;
    // A modal alert built by hand with a message and an informative text.
    virtual void showAlert(AlertStyle style, const QString &message, const QString &informativeText) = 0;
    virtual void beep() = 0;
    // Shows the items selected in a file-manager window.
    virtual void reveal(const QStringList &paths) = 0;
    // Opens a file or folder with its default application.
    virtual void open(const QString &path) = 0;
    // Modal file dialogs; empty / nullopt when cancelled.
    virtual QStringList chooseFiles(const FileChoice &choice) = 0;
    virtual std::optional<QString> chooseSaveFile(const SaveChoice &choice) = 0;
    // Modal password questions; nullopt on Cancel. The new password is
    // empty when the user wants none.
    virtual std::optional<QString> askPassword(const PasswordPrompt &prompt) = 0;
    virtual std::optional<QString> askNewPassword(const NewPasswordPrompt &prompt) = 0;
    // Modal: how to compress `items` (the Compress dialog); nullopt on Cancel.
    virtual std::optional<NewArchiveChoice> askNewArchive(const QStringList &items) = 0;
    // Shown at once; `cancel` runs when the user cancels it (its button,
    // Escape, or closing it), at most once.
    virtual std::unique_ptr<ProgressWindow> showProgress(const QString &title, std::function<void()> cancel) = 0;
    // Modal: what to do about an extracted item whose name exists (a
    // question of kind Conflict): Replace, Keep Both, Skip or Cancel, and
    // whether for all the conflicts that follow. Cancel when dismissed.
    virtual Answer askConflict(const Question &question) = 0;
    // Modal: a question with one action, which loses something, and Cancel,
    // the default. True for the action.
    // `cancel` names the other button; empty: Cancel.
    virtual bool confirm(const QString &message, const QString &informativeText, const QString &action,
                         const QString &cancel = QString()) = 0;
};
