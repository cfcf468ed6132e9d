// The rectangle a link label takes when it shrinks (or grows) to its text.
// Kept free of any toolkit so the arithmetic can be checked on its own.
#pragma once

// Static-text style bits that decide how the label is fitted. <windows.h>
// defines the same values as macros; a file that includes it uses those.
#ifndef SS_CENTER
constexpr unsigned SS_CENTER = 0x0001;
constexpr unsigned SS_RIGHT = 0x0002;
constexpr unsigned SS_CENTERIMAGE = 0x0200;
#endif

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
