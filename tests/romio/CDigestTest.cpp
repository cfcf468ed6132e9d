// SHA-1 and MD5 from the system's library, against the published test
// vectors (FIPS 180 for SHA-1, RFC 1321 for MD5): whole, in uneven pieces,
// and one digest after another on the same object.
#include "romio/CDigest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Vector {
    std::string input;
    const char* sha1;
    const char* md5; // nullptr: no published MD5 for this input
};

const std::vector<Vector>& Vectors() {
    static const std::vector<Vector> vectors = {
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d", "900150983cd24fb0d6963f7d28e17f72"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "84983e441c3bd26ebaae4aa1f95129e5e54670f1", nullptr},
        {"message digest", "c12252ceda8be8994d5fa0290a47231c1d16aae3",
         "f96b697d7cb7938d525a2f31aaf161d0"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "50abf5706a150990a08b2c5ea40fa0e585554732", "57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f",
         "7707d6ae4e027c70eea2a935c2296f21"},
    };
    return vectors;
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Checks `Digest` against every vector with an expected value: once whole
// and once in pieces of 1, 2, 3... bytes, so that pieces end everywhere
// inside the algorithm's 64-byte blocks, on one object throughout (each
// Final() starts it over).
template <typename Digest> void ExpectVectors(const char* Vector::*expected) {
    auto digest = Digest::Create();
    ASSERT_TRUE(digest.has_value());
    for (const Vector& vector : Vectors()) {
        if (vector.*expected == nullptr) {
            continue;
        }
        const auto bytes = Bytes(vector.input);
        digest->Update(bytes);
        const auto whole = digest->Final();
        for (std::size_t at = 0, piece = 1; at < bytes.size(); at += piece++) {
            digest->Update(bytes.subspan(at, std::min(piece, bytes.size() - at)));
        }
        const auto pieces = digest->Final();
        ASSERT_TRUE(whole && pieces);
        EXPECT_EQ(HexDigits(*whole), vector.*expected) << vector.input.substr(0, 20);
        EXPECT_EQ(HexDigits(*pieces), vector.*expected) << vector.input.substr(0, 20);
    }
}

} // namespace

TEST(Digest, Sha1AndMd5MatchThePublishedVectorsWholeAndInPieces) {
    ExpectVectors<CSha1>(&Vector::sha1);
    ExpectVectors<CMd5>(&Vector::md5);
}
