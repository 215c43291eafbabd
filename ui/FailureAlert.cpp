#include "ui/FailureAlert.h"

#include "engine/FailureReport.h"
#include "platform/Desktop.h"

void showFailure(Desktop &desktop, const FailureReport &report)
{
    if (report.refused)
        desktop.showAlert(Desktop::AlertStyle::Warning, report.message, report.informativeText);
    else
        desktop.showErrorReport(report.message, report.informativeText, report.details);
}
