#pragma once

struct FailureReport;
class Desktop;

// Shows a failure report, alike in the window and the command line: a
// refusal alone as the screen's warning, anything else as an error alert.
void showFailure(Desktop &desktop, const FailureReport &report);
