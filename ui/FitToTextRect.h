// The rectangle a link label takes when it shrinks (or grows) to its text.
// Kept free of any toolkit so the arithmetic can be checked on its own.
#pragma once

// Style bits that decide how the label is fitted: the values of the static
// text styles SS_CENTER, SS_RIGHT and SS_CENTERIMAGE, so that a Windows
// label passes its style as it is.
constexpr unsigned kAlignCentre = 0x0001; // centred across
constexpr unsigned kAlignRight = 0x0002;
constexpr unsigned kAlignMiddle = 0x0200; // centred up and down

// A window rectangle; right and bottom lie just outside it.
struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const WindowRect&) const = default;
};

// `window` fitted to a text of the given extent. Centred sides move by half
// the difference, truncated toward zero, so an odd difference leaves the
// window one pixel larger (or, when the text is larger, one pixel smaller)
// than the text.
WindowRect FitRectToText(WindowRect window, int textWidth, int textHeight, unsigned style);
