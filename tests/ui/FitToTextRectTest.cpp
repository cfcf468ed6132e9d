// Fitting a link label's rectangle to its text.
#include "ui/FitToTextRect.h"

#include <gtest/gtest.h>
#include <ostream>

// Lets a failed comparison print the rectangles.
std::ostream& operator<<(std::ostream& out, const WindowRect& r) {
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

TEST(FitToTextRect, FitsTheTextAsTheStyleSays) {
    struct Case {
        const char* name;
        WindowRect window;
        int textWidth;
        int textHeight;
        unsigned style;
        WindowRect expected;
    };
    const Case cases[] = {
        // Width 101, text 50: each side moves by 25, leaving 51.
        {"centred, odd difference", {10, 20, 111, 40}, 50, 13, kAlignCentre, {35, 20, 86, 33}},
        {"centred, text wider: grows to both sides",
         {100, 0, 140, 10},
         80,
         10,
         kAlignCentre,
         {80, 0, 160, 10}},
        // -51 / 2 truncates to -25, so the window ends one pixel short of the text.
        {"centred, text wider by an odd amount",
         {100, 0, 150, 10},
         101,
         10,
         kAlignCentre,
         {75, 0, 175, 10}},
        {"left, text wider: grows to the right", {100, 5, 140, 15}, 80, 12, 0u, {100, 5, 180, 17}},
        {"left, text narrower", {100, 5, 140, 25}, 7, 12, 0u, {100, 5, 107, 17}},
        {"right, text wider: grows to the left",
         {100, 5, 140, 15},
         80,
         12,
         kAlignRight,
         {60, 5, 140, 17}},
        {"centre wins over right",
         {0, 0, 100, 10},
         50,
         10,
         kAlignCentre | kAlignRight,
         {25, 0, 75, 10}},
        {"middle, odd difference", {0, 10, 40, 31}, 40, 10, kAlignMiddle, {0, 15, 40, 26}},
        {"middle, text taller by an odd amount",
         {0, 10, 40, 18},
         40,
         13,
         kAlignMiddle,
         {0, 8, 40, 20}},
        {"empty text, left", {3, 4, 50, 20}, 0, 0, 0u, {3, 4, 3, 4}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitRectToText(c.window, c.textWidth, c.textHeight, c.style), c.expected)
            << c.name;
    }
}
