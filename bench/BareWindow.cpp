// The yardstick for start-up: an empty Qt window of the main window's size.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(980, 640);
    window.show();
    return application.exec();
}
