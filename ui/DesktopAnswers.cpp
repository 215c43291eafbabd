#include "ui/DesktopAnswers.h"

#include "platform/Desktop.h"

Answer answerThroughDesktop(Desktop &desktop, const Question &question)
{
    switch (question.kind) {
    case Question::Kind::Password: {
        const std::optional<QString> password
            = desktop.askPassword(Desktop::PasswordPrompt{question.archive, question.lastPasswordWrong});
        Answer answer;
        answer.cancelled = !password;
        answer.password = password.value_or(QString());
        return answer;
    }
    case Question::Kind::Conflict:
        return desktop.askConflict(question);
    }
    return Answer{true, {}, ConflictChoice::Cancel, false};
}
