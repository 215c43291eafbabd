#pragma once

#include "engine/Operation.h"

#include <QList>
#include <QString>

// What an error alert says about a failed operation: a sentence naming the
// archive and what went wrong, the tool's error and warning lines under it,
// and the tool's whole output for the alert's Details button.
struct FailureReport {
    QString message;
    QString informativeText;
    QString details;
    // The archive read, or the file being created.
    QString archive;
    // The screen refused the archive: a warning, whose informative text
    // says why; the details list the paths.
    bool refused = false;

    // For a Failed or Refused outcome of `request`.
    static FailureReport from(const OperationRequest &request, const Outcome &outcome);
    // One alert for several failed operations: one sentence a line (a
    // refusal's under the archive's name), then each one's lines and
    // details under its name.
    static FailureReport combine(const QList<FailureReport> &reports);

};
