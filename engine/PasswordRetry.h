#pragma once

#include "engine/Operation.h"

#include <functional>

class OperationJob;

// Reading an encrypted archive: runs the whole operation, and when the run
// says the archive needs a password, or refuses the one it was given, asks
// the user and runs it again with the answer. Every run ends on its own (the
// tool's standard input is one password line and its end, or the null
// device), and Cancel ends the loop: a damaged archive refuses every
// password, so the loop cannot end by itself.
class PasswordRetry
{
public:
    using Run = std::function<Outcome(const OperationRequest &)>;

    // `once` runs one attempt with the request's password (empty: none).
    // On success the outcome carries the password that worked. Without
    // anyone to ask, the password failure is the outcome.
    static Outcome run(const OperationRequest &request, OperationJob &job, const Run &once);

    static bool isPasswordFailure(const Outcome &outcome)
    {
        return outcome.kind == Outcome::Kind::Failed
            && (outcome.failure == Outcome::Failure::WrongPassword
                || outcome.failure == Outcome::Failure::PasswordNeeded);
    }
};
