// SHA-1 and MD5 through OpenSSL's EVP interface. The algorithm is fetched
// once per context, and a context is started over after each digest rather
// than made anew, so hashing many images costs no look-ups per image.
#include "romio/CDigestContext.h"

#include <algorithm>
#include <openssl/crypto.h>
#include <openssl/evp.h>

namespace {

struct MdFree {
    void operator()(EVP_MD* md) const { EVP_MD_free(md); }
};
struct MdContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

const char* AlgorithmName(DigestAlgorithm algorithm) {
    return algorithm == DigestAlgorithm::Sha1 ? "SHA1" : "MD5";
}

} // namespace

struct CDigestContext::State {
    std::unique_ptr<EVP_MD, MdFree> md;
    std::unique_ptr<EVP_MD_CTX, MdContextFree> context;
};

CDigestContext::CDigestContext(DigestAlgorithm algorithm, std::unique_ptr<State> state)
    : m_algorithm(algorithm), m_state(std::move(state)) {}

CDigestContext::CDigestContext(CDigestContext&& other) noexcept = default;
CDigestContext& CDigestContext::operator=(CDigestContext&& other) noexcept = default;
CDigestContext::~CDigestContext() = default;

std::optional<CDigestContext> CDigestContext::Create(DigestAlgorithm algorithm) {
    auto state = std::make_unique<State>();
    // Fetched explicitly: the provider configured for the system decides
    // whether the algorithm may be used at all.
    state->md.reset(EVP_MD_fetch(nullptr, AlgorithmName(algorithm), nullptr));
    state->context.reset(EVP_MD_CTX_new());
    if (!state->md || !state->context ||
        EVP_MD_get_size(state->md.get()) != static_cast<int>(DigestSize(algorithm)) ||
        EVP_DigestInit_ex2(state->context.get(), state->md.get(), nullptr) != 1) {
        return std::nullopt;
    }
    return CDigestContext(algorithm, std::move(state));
}

bool CDigestContext::Update(std::span<const std::uint8_t> bytes) {
    return EVP_DigestUpdate(m_state->context.get(), bytes.data(), bytes.size()) == 1;
}

bool CDigestContext::Finish(std::span<std::uint8_t> out) {
    if (out.size() < DigestSize(m_algorithm)) {
        return false;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    const bool finished = EVP_DigestFinal_ex(m_state->context.get(), digest, &length) == 1 &&
                          length == DigestSize(m_algorithm);
    // Started over whatever happened, so that the next input stands alone.
    const bool restarted =
        EVP_DigestInit_ex2(m_state->context.get(), m_state->md.get(), nullptr) == 1;
    if (!finished || !restarted) {
        return false;
    }
    std::copy(digest, digest + length, out.begin());
    return true;
}

void CDigestContext::ReleaseThreadState() {
    OPENSSL_thread_stop();
}
