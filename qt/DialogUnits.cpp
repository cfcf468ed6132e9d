// A horizontal dialog unit is a quarter of the average character width, a
// vertical one an eighth of the character height.
#include "DialogUnits.h"

#include <QFontMetrics>

namespace {
// Rounded a * b / c, as the dialog manager computes it.
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    return static_cast<int>((product + (product >= 0 ? c / 2 : -c / 2)) / c);
}
} // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_nBaseX = (alphabet / 26 + 1) / 2;
    m_nBaseY = metrics.height();
}

int DialogUnits::ToPixelsX(int units) const {
    return MulDiv(units, m_nBaseX, 4);
}

int DialogUnits::ToPixelsY(int units) const {
    return MulDiv(units, m_nBaseY, 8);
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
    return QRect(ToPixelsX(x), ToPixelsY(y), ToPixelsX(width), ToPixelsY(height));
}
