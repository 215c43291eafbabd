#include "app/Startup.h"
#include "app/StartArguments.h"
#include "app/TerminationSignals.h"
#include "app/Translations.h"
#include "engine/ArchiveEngine.h"
#include "platform/QtDesktop.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    // Read before Qt can take any of them out; Qt gets the program name only.
    const StartArguments start(argc, argv);
    int applicationArgc = 1;
    char *applicationArgv[] = {argv[0], nullptr};
    QApplication application(applicationArgc, applicationArgv);
    QApplication::setApplicationName(QStringLiteral("Corvex"));
    // Settings in ~/.config/Corvex/Corvex.conf.
    QApplication::setOrganizationName(QStringLiteral("Corvex"));
    // The application entry's name (resources/), by which the desktop matches windows to it.
    QApplication::setDesktopFileName(QStringLiteral("io.github.corvex.Corvex"));

    const QString resourceFolder = ArchiveEngine::applicationResourceFolder();
    Translations::install(resourceFolder.isEmpty() ? QString() : resourceFolder + QStringLiteral("/translations"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("corvex"),
                                                 QIcon(resourceFolder + QStringLiteral("/corvex.svg"))));

    const TerminationSignals terminationSignals;
    QtDesktop desktop;
    if (!start.unreadable().isEmpty()) {
        desktop.showAlert(Desktop::AlertStyle::Warning, start.refusalMessage(), start.refusalInformativeText());
        return 1;
    }
    Startup delegate(desktop, resourceFolder, start.arguments());
    const Startup::Outcome outcome = delegate.start();
    switch (outcome) {
    case Startup::Outcome::WindowShown:
        return application.exec();
    case Startup::Outcome::HandledByCommandLine:
    case Startup::Outcome::CommandLineFailed:
        // Let the file manager hear of what to reveal before the process ends.
        desktop.waitForPendingReveals();
        return outcome == Startup::Outcome::HandledByCommandLine ? 0 : 1;
    case Startup::Outcome::EngineMissing:
        break;
    }
    return 1;
}
