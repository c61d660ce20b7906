#include "DialogUnits.h"

#include <QFontMetrics>

namespace fw {

namespace {

// Rounds a * b / c to the nearest integer, as dialog templates are converted.
int scale(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    return static_cast<int>((product >= 0 ? product + c / 2 : product - c / 2) / c);
}

} // namespace

DialogUnits::DialogUnits(const QFont &font)
{
    const QFontMetrics metrics(font);
    // The average over the Latin letters, as the dialog manager measures it.
    static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    m_baseWidth = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    m_baseHeight = metrics.height();
}

int DialogUnits::x(int units) const
{
    return scale(units, m_baseWidth, 4);
}

int DialogUnits::y(int units) const
{
    return scale(units, m_baseHeight, 8);
}

QRect DialogUnits::rect(int x, int y, int width, int height) const
{
    return QRect(this->x(x), this->y(y), this->x(width), this->y(height));
}

QSize DialogUnits::size(int width, int height) const
{
    return QSize(x(width), y(height));
}

} // namespace fw
