// SHA-1 and MD5 through Windows' BCrypt. The algorithm provider is opened
// once per context; after each digest the hash object is made anew (cheap,
// and it needs no reusable-hash support from the system).
#include "romio/CDigestContext.h"

#include <algorithm>
#include <array>
#include <windows.h>

#include <bcrypt.h>

namespace {

// BCryptHashData takes a 32-bit count; larger spans go in pieces.
constexpr std::size_t kLargestPiece = 1u << 30;

bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

struct ProviderClose {
    void operator()(void* provider) const { BCryptCloseAlgorithmProvider(provider, 0); }
};
struct HashDestroy {
    void operator()(void* hash) const { BCryptDestroyHash(hash); }
};
using ProviderHandle = std::unique_ptr<void, ProviderClose>;
using HashHandle = std::unique_ptr<void, HashDestroy>;

const wchar_t* AlgorithmName(DigestAlgorithm algorithm) {
    return algorithm == DigestAlgorithm::Sha1 ? BCRYPT_SHA1_ALGORITHM : BCRYPT_MD5_ALGORITHM;
}

// A new hash object of `provider`; the system keeps its working memory.
HashHandle CreateHash(void* provider) {
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!Succeeded(BCryptCreateHash(provider, &hash, nullptr, 0, nullptr, 0, 0))) {
        return nullptr;
    }
    return HashHandle(hash);
}

} // namespace

struct CDigestContext::State {
    ProviderHandle provider;
    HashHandle hash;
};

CDigestContext::CDigestContext(DigestAlgorithm algorithm, std::unique_ptr<State> state)
    : m_algorithm(algorithm), m_state(std::move(state)) {}

CDigestContext::CDigestContext(CDigestContext&& other) noexcept = default;
CDigestContext& CDigestContext::operator=(CDigestContext&& other) noexcept = default;
CDigestContext::~CDigestContext() = default;

std::optional<CDigestContext> CDigestContext::Create(DigestAlgorithm algorithm) {
    auto state = std::make_unique<State>();
    BCRYPT_ALG_HANDLE provider = nullptr;
    if (!Succeeded(BCryptOpenAlgorithmProvider(&provider, AlgorithmName(algorithm), nullptr, 0))) {
        return std::nullopt;
    }
    state->provider.reset(provider);
    DWORD length = 0;
    ULONG written = 0;
    if (!Succeeded(BCryptGetProperty(provider, BCRYPT_HASH_LENGTH,
                                     reinterpret_cast<PUCHAR>(&length), sizeof length, &written,
                                     0)) ||
        length != DigestSize(algorithm)) {
        return std::nullopt;
    }
    state->hash = CreateHash(provider);
    if (!state->hash) {
        return std::nullopt;
    }
    return CDigestContext(algorithm, std::move(state));
}

bool CDigestContext::Update(std::span<const std::uint8_t> bytes) {
    if (!m_state->hash) {
        return false;
    }
    while (!bytes.empty()) {
        const std::size_t piece = std::min(bytes.size(), kLargestPiece);
        // BCrypt only reads the input, though its parameter is not const.
        if (!Succeeded(BCryptHashData(m_state->hash.get(), const_cast<PUCHAR>(bytes.data()),
                                      static_cast<ULONG>(piece), 0))) {
            return false;
        }
        bytes = bytes.subspan(piece);
    }
    return true;
}

bool CDigestContext::Finish(std::span<std::uint8_t> out) {
    const std::size_t size = DigestSize(m_algorithm);
    if (!m_state->hash || out.size() < size) {
        return false;
    }
    std::array<UCHAR, 20> digest{};
    const bool finished = Succeeded(
        BCryptFinishHash(m_state->hash.get(), digest.data(), static_cast<ULONG>(size), 0));
    // A finished hash object takes no more input: the next one starts afresh.
    m_state->hash = CreateHash(m_state->provider.get());
    if (!finished || !m_state->hash) {
        return false;
    }
    std::copy_n(digest.begin(), size, out.begin());
    return true;
}

void CDigestContext::ReleaseThreadState() {
    // BCrypt keeps nothing per thread.
}
