// The program's own start-up path, ending at the main window's first paint.
#include "AppDelegate.h"
#include "ArchiveEngine.h"
#include "CorvexController.h"
#include "FirstPaint.h"
#include "QtDesktop.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvex"));
    QApplication::setDesktopFileName(QStringLiteral("corvex"));

    QtDesktop desktop;
    AppDelegate delegate(desktop, QStringLiteral(CORVEX_RESOURCE_DIR), {QCoreApplication::arguments().first()});
    // The window is shown inside start(); its first paint comes later, from
    // the event loop, so watching every widget from here catches it.
    if (delegate.start() != AppDelegate::Outcome::windowShown || !delegate.controller())
        return 1;
    exitOnFirstPaint(delegate.controller()->window());
    return application.exec();
}
