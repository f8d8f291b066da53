#include "archiver/Crc16.h"

#include <array>

namespace zolvane::archiver {
namespace {

// Four tables so that the loop takes four bytes per step: the CRC runs over every byte
// we pack, next to the encoder, and must stay a small part of its time.
using Tables = std::array<std::array<std::uint16_t, 256>, 4>;

constexpr Tables MakeTables() {
    Tables tables{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001u : crc >> 1;
        }
        tables[0][i] = static_cast<std::uint16_t>(crc);
    }
    for (unsigned i = 0; i < 256; ++i) {
        for (std::size_t t = 1; t < 4; ++t) {
            unsigned previous = tables[t - 1][i];
            tables[t][i] = static_cast<std::uint16_t>((previous >> 8) ^ tables[0][previous & 0xFF]);
        }
    }
    return tables;
}

constexpr Tables kTables = MakeTables();

}  // namespace

std::uint16_t UpdateCrc16(std::uint16_t crc, const std::uint8_t* data, std::size_t size) {
    unsigned value = crc;
    while (size >= 4) {
        unsigned low = value ^ (data[0] | (unsigned{data[1]} << 8));
        value = kTables[3][low & 0xFF] ^ kTables[2][low >> 8] ^ kTables[1][data[2]] ^
                kTables[0][data[3]];
        data += 4;
        size -= 4;
    }
    while (size-- > 0) {
        value = (value >> 8) ^ kTables[0][(value ^ *data++) & 0xFF];
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace zolvane::archiver
