// Threads that load for folder scans, kept from one scan to the next: a walk
// through a tree of folders starts its threads once instead of for every
// folder. A task runs on an idle thread, or on a new one when every thread is
// busy, so a thread blocked in a slow read never holds up another scan.
// Destroying the pool lets each thread go as soon as it has nothing to do; it
// never waits for one that is still blocked in a read.
#pragma once

#include <functional>
#include <memory>

class CLoaderPool {
public:
    CLoaderPool();
    ~CLoaderPool();
    CLoaderPool(const CLoaderPool&) = delete;
    CLoaderPool& operator=(const CLoaderPool&) = delete;

    // Runs `task` on a thread of the pool; false when every thread was busy
    // and no new one could be made (the task is then dropped).
    bool Post(std::function<void()> task);

private:
    struct State; // shared with the threads, which may outlive the pool
    static void Serve(const std::shared_ptr<State>& state);
    static void AwaitTaskBriefly(State& state);

    std::shared_ptr<State> m_state;
};
