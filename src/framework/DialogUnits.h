#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace fw {

// Converts a form's dialog units into pixels with its font's metrics: a
// horizontal unit is a quarter of the average character width, a vertical
// unit an eighth of the character height.
class DialogUnits
{
public:
    explicit DialogUnits(const QFont &font);

    int baseWidth() const { return m_baseWidth; }
    int baseHeight() const { return m_baseHeight; }

    int x(int units) const;
    int y(int units) const;
    QRect rect(int x, int y, int width, int height) const;
    QSize size(int width, int height) const;

private:
    int m_baseWidth;
    int m_baseHeight;
};

} // namespace fw
