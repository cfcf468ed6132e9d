// A line of progress on standard error, for a terminal only: rewritten in
// place at most ten times a second, and erased at the end, since it was only
// for while the work ran. The first text shows once the work has taken a
// tenth of a second, so that quick work never flashes a line.
#pragma once

#include <chrono>
#include <string_view>

class CProgressLine {
public:
    CProgressLine();

    // True when a new text is due; make it only then.
    bool IsDue() const;
    void Show(std::string_view text);
    // Erases the line, if one was shown.
    void Clear();

private:
    std::chrono::steady_clock::time_point m_lastShown;
    bool m_bShown = false;
};
