#include "platform/Desktop.h"

#include "engine/FailureReport.h"

Answer Desktop::answer(const Question &question)
{
    switch (question.kind) {
    case Question::Kind::Password: {
        const std::optional<QString> password = askPassword(PasswordPrompt{question.archive, question.lastPasswordWrong});
        Answer answer;
        answer.cancelled = !password;
        answer.password = password.value_or(QString());
        return answer;
    }
    case Question::Kind::Conflict:
        return askConflict(question);
    }
    return Answer::cancel();
}

void Desktop::showFailure(const FailureReport &report)
{
    if (report.refused)
        showAlert(AlertStyle::Warning, report.message, report.informativeText);
    else
        showErrorReport(report.message, report.informativeText, report.details);
}
