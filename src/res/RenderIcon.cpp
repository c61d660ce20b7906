// Draws one SVG icon into a PNG of the given size at build time, exactly as
// Qt's SVG icon engine draws it at run time, so that the program shows the
// same pixels without loading the SVG plugin and renderer at every start.
//
// usage: brewdeck_render_icon IN.svg OUT.png SIZE
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s IN.svg OUT.png SIZE\n", argv[0]);
        return 2;
    }
    const int size = QString::fromLocal8Bit(argv[3]).toInt();
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid() || size <= 0) {
        std::fprintf(stderr, "%s: cannot draw %s at %s\n", argv[0], argv[1], argv[3]);
        return 1;
    }
    // The same image format and fill as the icon engine's, so the pixels match.
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(0x00000000);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
