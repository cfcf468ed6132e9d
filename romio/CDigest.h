// SHA-1 and MD5 digests built up piece by piece, each with a digest type of
// its own size (CSha1, CMd5), over the platform's CDigestContext.
#pragma once

#include "CDigestContext.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

template <DigestAlgorithm kAlgorithm> class CDigest {
public:
    using Value = std::array<std::uint8_t, DigestSize(kAlgorithm)>;

    // A fresh digest; nullopt when the system offers no such algorithm.
    static std::optional<CDigest> Create() {
        auto context = CDigestContext::Create(kAlgorithm);
        if (!context) {
            return std::nullopt;
        }
        return CDigest(std::move(*context));
    }

    // Adds the next bytes.
    void Update(std::span<const std::uint8_t> bytes) {
        m_bFailed = !m_context.Update(bytes) || m_bFailed;
    }
    // The digest of everything added since the start or the last Final(),
    // after which the object starts over for the next input. nullopt when the
    // system failed on the way (it has no reason to once Create() succeeded).
    std::optional<Value> Final() {
        Value value{};
        const bool finished = m_context.Finish(value);
        const bool failed = m_bFailed;
        m_bFailed = false;
        if (!finished || failed) {
            return std::nullopt;
        }
        return value;
    }

private:
    explicit CDigest(CDigestContext context) : m_context(std::move(context)) {}

    CDigestContext m_context;
    bool m_bFailed = false;
};

using CSha1 = CDigest<DigestAlgorithm::Sha1>;
using CMd5 = CDigest<DigestAlgorithm::Md5>;
using Sha1Digest = CSha1::Value;
using Md5Digest = CMd5::Value;

// Lower-case hexadecimal, as checksum lists write digests.
inline std::string HexDigits(std::span<const std::uint8_t> bytes) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t value : bytes) {
        text += kDigits[value >> 4];
        text += kDigits[value & 0x0F];
    }
    return text;
}
