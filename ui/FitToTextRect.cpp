// Fitting a link label's rectangle to its text.
#include "FitToTextRect.h"

WindowRect FitRectToText(WindowRect window, int textWidth, int textHeight, unsigned style) {
    WindowRect fitted = window;
    if ((style & kAlignMiddle) != 0) {
        // Integer division truncates toward zero, also for a negative difference.
        const int inset = (window.Height() - textHeight) / 2;
        fitted.top += inset;
        fitted.bottom -= inset;
    } else {
        fitted.bottom = fitted.top + textHeight;
    }

    if ((style & kAlignCentre) != 0) {
        const int inset = (window.Width() - textWidth) / 2;
        fitted.left += inset;
        fitted.right -= inset;
    } else if ((style & kAlignRight) != 0) {
        fitted.left = fitted.right - textWidth;
    } else {
        fitted.right = fitted.left + textWidth;
    }
    return fitted;
}
