#include "platform/FakeDesktop.h"

#include <QCoreApplication>
#include <QThread>

void FakeDesktop::showError(const QString &description)
{
    record(QStringLiteral("error"), {description});
}

void FakeDesktop::showErrorReport(const QString &message, const QString &informativeText, const QString &details)
{
    record(QStringLiteral("errorReport"), {message, informativeText, details});
}

void FakeDesktop::showAlert(AlertStyle style, const QString &message, const QString &informativeText)
{
    const QString styleName = style == AlertStyle::Warning ? QStringLiteral("warning")
                                                           : QStringLiteral("informational");
    record(QStringLiteral("alert"), {styleName, message, informativeText});
}

void FakeDesktop::beep()
{
    record(QStringLiteral("beep"), {});
}

void FakeDesktop::reveal(const QStringList &paths)
{
    record(QStringLiteral("reveal"), paths);
}

void FakeDesktop::open(const QString &path)
{
    record(QStringLiteral("open"), {path});
}

QStringList FakeDesktop::chooseFiles(const FileChoice &)
{
    const QStringList answer = m_chosenFiles.isEmpty() ? QStringList() : m_chosenFiles.dequeue();
    record(QStringLiteral("chooseFiles"), answer);
    return answer;
}

std::optional<QString> FakeDesktop::chooseSaveFile(const SaveChoice &)
{
    const std::optional<QString> answer = m_saveFiles.isEmpty() ? std::nullopt : m_saveFiles.dequeue();
    record(QStringLiteral("chooseSaveFile"), answer ? QStringList{*answer} : QStringList());
    return answer;
}

std::optional<QString> FakeDesktop::askPassword(const PasswordPrompt &prompt)
{
    record(QStringLiteral("password"), prompt.lastPasswordWrong ? QStringList{prompt.archive, QStringLiteral("wrong")}
                                                                : QStringList{prompt.archive});
    return m_passwordAnswers.isEmpty() ? std::nullopt : m_passwordAnswers.dequeue();
}

std::optional<QString> FakeDesktop::askNewPassword(const NewPasswordPrompt &prompt)
{
    record(QStringLiteral("newPassword"), {prompt.archive});
    const std::optional<QString> answer = m_newPasswordAnswers.isEmpty() ? std::nullopt
                                                                         : m_newPasswordAnswers.dequeue();
    if (answer && prompt.problem && !prompt.problem(*answer).isEmpty())
        return std::nullopt;
    return answer;
}

std::optional<NewArchiveChoice> FakeDesktop::askNewArchive(const QStringList &items)
{
    record(QStringLiteral("newArchive"), items);
    return m_newArchiveAnswers.isEmpty() ? std::nullopt : m_newArchiveAnswers.dequeue();
}

void FakeDesktop::queueConflictAnswer(ConflictChoice choice, bool applyToAll)
{
    Answer answer;
    answer.choice = choice;
    answer.cancelled = choice == ConflictChoice::Cancel;
    answer.applyToAll = applyToAll;
    m_conflictAnswers.enqueue(answer);
}

Answer FakeDesktop::askConflict(const Question &question)
{
    if (onConflict)
        onConflict(question);
    const Answer answer = m_conflictAnswers.isEmpty() ? Answer::cancel() : m_conflictAnswers.dequeue();
    static const char *const names[] = {"replace", "keepBoth", "skip", "cancel"};
    record(QStringLiteral("conflict"), {question.existingPath, QString::fromLatin1(names[int(answer.choice)]),
                                        answer.applyToAll ? QStringLiteral("all") : QString()});
    return answer;
}

bool FakeDesktop::confirm(const QString &message, const QString &, const QString &action, const QString &)
{
    record(QStringLiteral("confirm"), {message, action});
    return !m_confirmAnswers.isEmpty() && m_confirmAnswers.dequeue();
}

namespace {
class FakeProgressWindow : public Desktop::ProgressWindow
{
public:
    void setProgress(int) override {}
};
} // namespace

std::unique_ptr<Desktop::ProgressWindow> FakeDesktop::showProgress(const QString &title, std::function<void()>)
{
    record(QStringLiteral("progress"), {title});
    return std::make_unique<FakeProgressWindow>();
}

void FakeDesktop::record(const QString &kind, const QStringList &values)
{
    const bool main = QThread::currentThread() == QCoreApplication::instance()->thread();
    calls.append({main ? kind : QStringLiteral("off the main thread: ") + kind, values});
}

QStringList FakeDesktop::kinds() const
{
    QStringList result;
    for (const Call &call : calls)
        result.append(call.kind);
    return result;
}

int FakeDesktop::count(const QString &kind) const
{
    int n = 0;
    for (const Call &call : calls)
        n += call.kind == kind;
    return n;
}
