#include "app/AppDelegate.h"
#include "engine/ArchiveEngine.h"
#include "platform/QtDesktop.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvex"));
    // The application entry's name (resources/), by which the desktop matches windows to it.
    QApplication::setDesktopFileName(QStringLiteral("io.github.corvex.Corvex"));

    const QString resourceFolder = ArchiveEngine::applicationResourceFolder();
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("corvex"),
                                                 QIcon(resourceFolder + QStringLiteral("/corvex.svg"))));

    QtDesktop desktop;
    AppDelegate delegate(desktop, resourceFolder, QCoreApplication::arguments());
    switch (delegate.start()) {
    case AppDelegate::Outcome::windowShown:
        return application.exec();
    case AppDelegate::Outcome::handledByCommandLine:
        // Let the file manager hear of what to reveal before the process ends.
        desktop.waitForPendingReveals();
        return 0;
    case AppDelegate::Outcome::engineMissing:
        break;
    }
    return 1;
}
