// The loop behind every read of a file: a system read may return fewer
// bytes than asked for, or be interrupted by a signal before it read any,
// and neither means the end of the file. Written once for both systems, and
// apart from the system calls, so that a test can make reads short and
// interrupted at will.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// What one system read gave: `count` bytes (0 at the end of the file, -1 on
// a failure), or nothing because it was interrupted and may be tried again.
struct PartialRead {
    std::int64_t count = 0;
    bool interrupted = false;
};

// Reads up to buffer.size() bytes from `offset` with `readSome(offset,
// destination)`, going on after short and interrupted reads; returns how
// many were read, fewer only at the end of the file or on a failure, which
// also sets `failed` when given.
template <typename ReadSome>
std::size_t ReadFully(ReadSome readSome, std::uint64_t offset, std::span<std::uint8_t> buffer,
                      bool* failed = nullptr) {
    std::size_t done = 0;
    while (done < buffer.size()) {
        const PartialRead got = readSome(offset + done, buffer.subspan(done));
        if (got.interrupted) {
            continue;
        }
        if (got.count < 0 && failed != nullptr) {
            *failed = true;
        }
        if (got.count <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got.count);
    }
    return done;
}
