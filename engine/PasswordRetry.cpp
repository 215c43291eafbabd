#include "engine/PasswordRetry.h"

#include "engine/OperationJob.h"
#include "engine/ToolPassword.h"

Outcome PasswordRetry::run(const OperationRequest &request, OperationJob &job, const Run &once)
{
    OperationRequest attempt = request;
    // A password kept from earlier counts as tried: if it fails, the
    // question says so.
    bool tried = !attempt.password.isEmpty();
    for (;;) {
        Outcome outcome;
        // One the tool would cut at a line break is never sent: it is wrong.
        if (attempt.password.isEmpty() || ToolPassword::standardInput(attempt.password)) {
            outcome = once(attempt);
        } else {
            outcome.kind = Outcome::Kind::Failed;
            outcome.failure = Outcome::Failure::WrongPassword;
        }
        if (!isPasswordFailure(outcome) || !job.canAsk()) {
            if (outcome.succeeded())
                outcome.password = attempt.password;
            return outcome;
        }

        Question question;
        question.kind = Question::Kind::Password;
        question.archive = request.archive;
        question.lastPasswordWrong = tried;
        const std::optional<Answer> answer = job.ask(question);
        if (!answer) {
            Outcome cancelled;
            cancelled.kind = Outcome::Kind::Cancelled;
            return cancelled;
        }
        attempt.password = answer->password;
        tried = true;
    }
}
