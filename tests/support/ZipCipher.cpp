// The cipher as the ZIP format describes it: three 32-bit keys stirred by
// CRC-32 steps and a linear congruence, one key-stream byte per data byte.
#include "ZipCipher.h"

#include <array>

namespace testing_support {

namespace {

constexpr std::size_t kEncryptionHeaderSize = 12;

class ZipKeys {
public:
    explicit ZipKeys(std::string_view password) {
        for (const char c : password) {
            Update(static_cast<std::uint8_t>(c));
        }
    }

    std::uint8_t StreamByte() const {
        const std::uint32_t temp = (m_keys[2] & 0xFFFF) | 2;
        return static_cast<std::uint8_t>(((temp * (temp ^ 1)) >> 8) & 0xFF);
    }

    std::uint8_t Encrypt(std::uint8_t plain) {
        const auto stored = static_cast<std::uint8_t>(plain ^ StreamByte());
        Update(plain);
        return stored;
    }

private:
    static std::uint32_t CrcStep(std::uint32_t crc, std::uint8_t byte) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xEDB88320U : crc >> 1;
        }
        return crc;
    }

    void Update(std::uint8_t plain) {
        m_keys[0] = CrcStep(m_keys[0], plain);
        m_keys[1] = (m_keys[1] + (m_keys[0] & 0xFF)) * 134775813U + 1;
        m_keys[2] = CrcStep(m_keys[2], static_cast<std::uint8_t>(m_keys[1] >> 24));
    }

    std::array<std::uint32_t, 3> m_keys = {0x12345678, 0x23456789, 0x34567890};
};

} // namespace

std::vector<std::uint8_t> EncryptForZip(std::string_view password, std::uint32_t crc,
                                        std::span<const std::uint8_t> data,
                                        std::uint8_t firstStoredByte) {
    ZipKeys keys(password);
    std::array<std::uint8_t, kEncryptionHeaderSize> header = {0,    0x51, 0x42, 0x9C, 0x33, 0xE1,
                                                              0x07, 0x6D, 0xA8, 0x12, 0x5F, 0};
    header[0] = static_cast<std::uint8_t>(firstStoredByte ^ keys.StreamByte());
    header[11] = static_cast<std::uint8_t>(crc >> 24);
    std::vector<std::uint8_t> stored;
    stored.reserve(header.size() + data.size());
    for (const std::uint8_t byte : header) {
        stored.push_back(keys.Encrypt(byte));
    }
    for (const std::uint8_t byte : data) {
        stored.push_back(keys.Encrypt(byte));
    }
    return stored;
}

} // namespace testing_support
