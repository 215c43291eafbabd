#include "platform/FakeDesktop.h"

void FakeDesktop::showError(const QString &description)
{
    calls.append({QStringLiteral("error"), {description}});
}

void FakeDesktop::showErrorReport(const QString &message, const QString &informativeText, const QString &details)
{
    calls.append({QStringLiteral("errorReport"), {message, informativeText, details}});
}

void FakeDesktop::showAlert(AlertStyle style, const QString &message, const QString &informativeText)
{
    const QString styleName = style == AlertStyle::Warning ? QStringLiteral("warning")
                                                           : QStringLiteral("informational");
    calls.append({QStringLiteral("alert"), {styleName, message, informativeText}});
}

void FakeDesktop::beep()
{
    calls.append({QStringLiteral("beep"), {}});
}

void FakeDesktop::reveal(const QStringList &paths)
{
    calls.append({QStringLiteral("reveal"), paths});
}

void FakeDesktop::open(const QString &path)
{
    calls.append({QStringLiteral("open"), {path}});
}

QStringList FakeDesktop::chooseFiles(const FileChoice &panel)
{
    fileChoices.append(panel);
    const QStringList answer = m_chosenFiles.isEmpty() ? QStringList() : m_chosenFiles.dequeue();
    calls.append({QStringLiteral("chooseFiles"), answer});
    return answer;
}

std::optional<QString> FakeDesktop::chooseSaveFile(const SaveChoice &panel)
{
    saveChoices.append(panel);
    const std::optional<QString> answer = m_saveFiles.isEmpty() ? std::nullopt : m_saveFiles.dequeue();
    calls.append({QStringLiteral("chooseSaveFile"), answer ? QStringList{*answer} : QStringList()});
    return answer;
}

std::optional<QString> FakeDesktop::askPassword(const PasswordPrompt &prompt)
{
    calls.append({QStringLiteral("password"),
                  prompt.lastPasswordWrong ? QStringList{prompt.archive, QStringLiteral("wrong")}
                                           : QStringList{prompt.archive}});
    return m_passwordAnswers.isEmpty() ? std::nullopt : m_passwordAnswers.dequeue();
}

std::optional<QString> FakeDesktop::askNewPassword(const NewPasswordPrompt &prompt)
{
    calls.append({QStringLiteral("newPassword"), {prompt.archive}});
    const std::optional<QString> answer = m_newPasswordAnswers.isEmpty() ? std::nullopt
                                                                         : m_newPasswordAnswers.dequeue();
    if (answer && prompt.problem && !prompt.problem(*answer).isEmpty())
        return std::nullopt;
    return answer;
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
    conflicts.append(question);
    Answer answer;
    answer.cancelled = true;
    if (!m_conflictAnswers.isEmpty())
        answer = m_conflictAnswers.dequeue();
    static const char *const names[] = {"replace", "keepBoth", "skip", "cancel"};
    calls.append({QStringLiteral("conflict"),
                  {question.existingPath, QString::fromLatin1(names[int(answer.choice)]),
                   answer.applyToAll ? QStringLiteral("all") : QString()}});
    return answer;
}

namespace {
class FakeProgressWindow : public Desktop::ProgressWindow
{
public:
    void setProgress(int) override {}
};
} // namespace

std::unique_ptr<Desktop::ProgressWindow> FakeDesktop::showProgress(const QString &title, std::function<void()> cancel)
{
    calls.append({QStringLiteral("progress"), {title}});
    cancelProgress = std::move(cancel);
    return std::make_unique<FakeProgressWindow>();
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
