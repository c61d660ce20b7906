// The yardstick of the start-up benchmark: a bare Qt program that shows an
// empty main window and waits.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.show();
    return QApplication::exec();
}
