// Starts work on a thread of its own that nobody joins: a thread blocked in a
// slow or hung read must never hold up a stop or the end of the process, so
// whatever it needs it keeps alive itself.
#pragma once

#include <functional>
#include <future>
#include <system_error>
#include <thread>
#include <utility>

// Runs `work` on a new detached thread; false when the system would not make
// one. The thread starts its work only once it is detached: the Windows
// build's thread library (winpthreads) can lose a new thread when another one
// is detached after it has ended, which a thread with nothing to do easily has.
inline bool StartDetachedThread(std::function<void()> work) {
    try {
        std::promise<void> detached;
        std::thread([work = std::move(work), started = detached.get_future()] {
            started.wait();
            work();
        }).detach();
        detached.set_value();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}
