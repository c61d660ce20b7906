// A second yardstick of the start-up benchmark: the bare main window with
// one line of Chinese text, which is what it costs to show any text at all
// here (the font configuration, a CJK fallback font and its shaping). Built
// a second time with BENCH_FONT_FAMILY, it names the CJK family itself, to
// show what leaving the fallback search to fontconfig costs.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
#ifdef BENCH_FONT_FAMILY
    QApplication::setFont(QFont(QStringLiteral(BENCH_FONT_FAMILY)));
#endif
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("就绪")));
    window.show();
    return QApplication::exec();
}
