// The load gate's waiting.
#include "CLoadGate.h"

namespace testing_support {

namespace {
// Long enough for any sanitizer build; a held load is released well before.
constexpr std::chrono::seconds kHoldGuard{300};
} // namespace

CLoadGate::CLoadGate(std::function<bool(const std::string& path)> holds)
    : m_holds(std::move(holds)) {}

std::function<bool(const std::string&)> CLoadGate::Named(const std::string& name) {
    return [name](const std::string& path) {
        return path.size() > name.size() && path.ends_with(name) &&
               (path[path.size() - name.size() - 1] == '/' ||
                path[path.size() - name.size() - 1] == '\\');
    };
}

ScanOptions CLoadGate::Options(int jobs) {
    ScanOptions options;
    options.nJobs = jobs;
    options.beforeLoad = [this](const std::string& path) {
        if (!m_holds(path)) {
            return;
        }
        std::unique_lock lock(m_mutex);
        m_bReached = true;
        ++m_nInside;
        m_changed.notify_all();
        m_changed.wait_for(lock, kHoldGuard, [this] { return m_bReleased; });
        --m_nInside;
        m_changed.notify_all();
    };
    return options;
}

CLoadGate::~CLoadGate() {
    // A stopped scan's loader may still be held here: the gate outlives it.
    Release();
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, kHoldGuard, [this] { return m_nInside == 0; });
}

bool CLoadGate::WaitUntilReached(std::chrono::seconds guard) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, guard, [this] { return m_bReached; });
}

void CLoadGate::Release() {
    const std::lock_guard lock(m_mutex);
    m_bReleased = true;
    m_changed.notify_all();
}

} // namespace testing_support
