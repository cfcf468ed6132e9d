// The progress line on a terminal.
#include "CProgressLine.h"

#include "CConsole.h"

#include <cstdio>
#include <string>

namespace {
constexpr auto kInterval = std::chrono::milliseconds(100);
}

CProgressLine::CProgressLine() : m_lastShown(std::chrono::steady_clock::now()) {}

bool CProgressLine::IsDue() const {
    return std::chrono::steady_clock::now() - m_lastShown >= kInterval;
}

void CProgressLine::Show(std::string_view text) {
    m_lastShown = std::chrono::steady_clock::now();
    m_bShown = true;
    // Back to the line's start, the text, then clear what a longer text left.
    std::string line = "\r";
    line += text;
    line += "\033[K";
    CConsole::Write(stderr, line);
    std::fflush(stderr);
}

void CProgressLine::Clear() {
    if (!m_bShown) {
        return;
    }
    m_bShown = false;
    CConsole::Write(stderr, "\r\033[K");
    std::fflush(stderr);
}
