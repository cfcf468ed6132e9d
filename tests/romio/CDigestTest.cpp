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

// Feeds `input` in pieces of 1, 2, 3... bytes, so that pieces end everywhere
// inside the algorithms' 64-byte blocks.
template <typename Digest> void UpdateInUnevenPieces(Digest& digest, const std::string& input) {
    const auto bytes = Bytes(input);
    std::size_t at = 0;
    for (std::size_t piece = 1; at < bytes.size(); ++piece) {
        const std::size_t length = std::min(piece, bytes.size() - at);
        digest.Update(bytes.subspan(at, length));
        at += length;
    }
}

} // namespace

TEST(Digest, Sha1MatchesThePublishedVectorsWholeAndInPieces) {
    auto sha1 = CSha1::Create();
    ASSERT_TRUE(sha1.has_value());
    // One object throughout: each Final() starts it over.
    for (const Vector& vector : Vectors()) {
        sha1->Update(Bytes(vector.input));
        const auto whole = sha1->Final();
        ASSERT_TRUE(whole.has_value());
        EXPECT_EQ(HexDigits(*whole), vector.sha1) << vector.input.substr(0, 20);
        UpdateInUnevenPieces(*sha1, vector.input);
        const auto pieces = sha1->Final();
        ASSERT_TRUE(pieces.has_value());
        EXPECT_EQ(HexDigits(*pieces), vector.sha1) << vector.input.substr(0, 20);
    }
}

TEST(Digest, Md5MatchesThePublishedVectorsWholeAndInPieces) {
    auto md5 = CMd5::Create();
    ASSERT_TRUE(md5.has_value());
    for (const Vector& vector : Vectors()) {
        if (vector.md5 == nullptr) {
            continue;
        }
        md5->Update(Bytes(vector.input));
        const auto whole = md5->Final();
        ASSERT_TRUE(whole.has_value());
        EXPECT_EQ(HexDigits(*whole), vector.md5) << vector.input.substr(0, 20);
        UpdateInUnevenPieces(*md5, vector.input);
        const auto pieces = md5->Final();
        ASSERT_TRUE(pieces.has_value());
        EXPECT_EQ(HexDigits(*pieces), vector.md5) << vector.input.substr(0, 20);
    }
}
