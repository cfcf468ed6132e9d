// Dialog units to pixels, from the dialog font's average character size, so
// that the layout keeps its proportions at any font size or screen scale.
#pragma once

#include <QRect>

class QFont;

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    // Base units: average character width and the character height, in pixels.
    DialogUnits(int baseX, int baseY) : m_nBaseX(baseX), m_nBaseY(baseY) {}

    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    QRect ToPixels(int x, int y, int width, int height) const;

    int BaseX() const { return m_nBaseX; }
    int BaseY() const { return m_nBaseY; }

private:
    int m_nBaseX;
    int m_nBaseY;
};
