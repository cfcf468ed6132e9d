// The scan's reusable loading threads.
#include "CLoaderPool.h"

#include "romio/DetachedThread.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

struct CLoaderPool::State {
    std::mutex mutex; // guards everything below
    std::condition_variable changed;
    std::deque<std::function<void()>> tasks;
    std::atomic<std::size_t> queued = 0; // tasks.size(), for a look without the lock
    // Threads looking for work before they sleep: no more than leaves a core
    // to the threads that have some.
    std::atomic<int> spinning = 0;
    const int maxSpinning = static_cast<int>(std::max(1u, std::thread::hardware_concurrency())) - 1;
    // Threads waiting for work beyond one per queued task: a task posted
    // while this is 0 needs a new thread.
    int idle = 0;
    bool closing = false;
};

CLoaderPool::CLoaderPool() : m_state(std::make_shared<State>()) {}

CLoaderPool::~CLoaderPool() {
    const std::lock_guard lock(m_state->mutex);
    m_state->closing = true;
    m_state->changed.notify_all();
}

bool CLoaderPool::Post(std::function<void()> task) {
    std::unique_lock lock(m_state->mutex);
    m_state->tasks.push_back(std::move(task));
    ++m_state->queued;
    if (m_state->idle > 0) {
        --m_state->idle;
        m_state->changed.notify_one();
        return true;
    }
    // Made under the lock, so that the task is still the last queued if it
    // fails. Detached, like every loading thread.
    if (StartDetachedThread([state = m_state] { Serve(state); })) {
        return true;
    }
    m_state->tasks.pop_back(); // no thread will take it
    --m_state->queued;
    return false;
}

void CLoaderPool::AwaitTaskBriefly(State& state) {
    // In a walk the next folder's task comes within microseconds; waking a
    // thread that went to sleep costs both threads more than that.
    constexpr auto kSpin = std::chrono::microseconds(50);
    if (state.spinning.fetch_add(1) < state.maxSpinning) {
        const auto until = std::chrono::steady_clock::now() + kSpin;
        while (state.queued.load(std::memory_order_relaxed) == 0 &&
               std::chrono::steady_clock::now() < until) {
            std::this_thread::yield();
        }
    }
    --state.spinning;
}

void CLoaderPool::Serve(const std::shared_ptr<State>& state) {
    std::unique_lock lock(state->mutex);
    while (true) {
        state->changed.wait(lock, [&] { return state->closing || !state->tasks.empty(); });
        if (state->tasks.empty()) {
            return; // closing, and nothing left to do
        }
        std::function<void()> task = std::move(state->tasks.front());
        state->tasks.pop_front();
        --state->queued;
        lock.unlock();
        task();
        task = nullptr; // what the task holds goes before the thread waits again
        lock.lock();
        ++state->idle;
        lock.unlock();
        AwaitTaskBriefly(*state);
        lock.lock();
    }
}
