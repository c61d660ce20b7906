// A second yardstick of the start-up benchmark: the bare main window with
// one line of Chinese text, which is what it costs to show any text at all
// here (the font configuration, a CJK fallback font and its shaping).
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("就绪")));
    window.show();
    return QApplication::exec();
}
