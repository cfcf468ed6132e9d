// Holds a scan's loads of chosen files until released, through the scan's
// before-load seam: a test can then stop a scan while a load is blocked, or
// change the folder while other loads wait. Bounded waits only, against a
// test that forgets to release.
#pragma once

#include "scan/ScanOptions.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

namespace testing_support {

class CLoadGate {
public:
    // Holds the load of every path for which `holds` is true.
    explicit CLoadGate(std::function<bool(const std::string& path)> holds);
    // Holds the load of the file named `name` (the last path component).
    static std::function<bool(const std::string&)> Named(const std::string& name);
    // Releases every load, and waits (bounded) until none is held any more.
    ~CLoadGate();
    CLoadGate(const CLoadGate&) = delete;
    CLoadGate& operator=(const CLoadGate&) = delete;

    // Scan options with the seam set (and `jobs` loads in flight).
    ScanOptions Options(int jobs = 0);
    // Waits (at most `guard`) until a held load has reached the gate.
    bool WaitUntilReached(std::chrono::seconds guard);
    // Lets every held load go on, and all later ones.
    void Release();

private:
    std::function<bool(const std::string&)> m_holds;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bReached = false;
    bool m_bReleased = false;
    int m_nInside = 0; // loads held at the gate now
};

} // namespace testing_support
