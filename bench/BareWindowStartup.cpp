// The yardstick for start-up: an empty Qt window of the main window's size.
#include "FirstPaint.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(980, 640);
    exitOnFirstPaint(&window);
    window.show();
    return application.exec();
}
