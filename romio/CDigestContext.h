// A running SHA-1 or MD5 over bytes given piece by piece, worked out by the
// system's own cryptography: OpenSSL's libcrypto on Linux, BCrypt on Windows
// (romio/posix and romio/win32). CDigest (CDigest.h) is the typed face of it
// the rest of the program uses; the hashes serve to match images against
// checksum lists, not to protect anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

enum class DigestAlgorithm : std::uint8_t {
    Sha1,
    Md5,
};

// Bytes in a digest of `algorithm`.
constexpr std::size_t DigestSize(DigestAlgorithm algorithm) {
    return algorithm == DigestAlgorithm::Sha1 ? 20 : 16;
}

class CDigestContext {
public:
    // A fresh context; nullopt when the system offers no such algorithm (a
    // system that allows only approved algorithms may refuse MD5).
    static std::optional<CDigestContext> Create(DigestAlgorithm algorithm);

    CDigestContext(CDigestContext&& other) noexcept;
    CDigestContext& operator=(CDigestContext&& other) noexcept;
    CDigestContext(const CDigestContext&) = delete;
    CDigestContext& operator=(const CDigestContext&) = delete;
    ~CDigestContext();

    // Frees what the system's library keeps for the calling thread; a thread
    // that made digests calls it before it ends, so that nothing of it is
    // left when the program exits while the thread is still winding down.
    static void ReleaseThreadState();

    DigestAlgorithm Algorithm() const { return m_algorithm; }
    // Adds `bytes` to the digest; false when the system refused them.
    bool Update(std::span<const std::uint8_t> bytes);
    // Writes the digest of everything added since the start (or the last
    // Finish) to `out`, which holds DigestSize() bytes, and starts over for
    // the next input. False when the system failed; `out` is then untouched.
    bool Finish(std::span<std::uint8_t> out);

private:
    struct State; // the system's handles, in the platform's file
    CDigestContext(DigestAlgorithm algorithm, std::unique_ptr<State> state);

    DigestAlgorithm m_algorithm;
    std::unique_ptr<State> m_state;
};
