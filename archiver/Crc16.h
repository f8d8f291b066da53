// CRC-16 as LZH archives use it (reflected polynomial 0xA001, initial value 0).
#pragma once

#include <cstddef>
#include <cstdint>

namespace zolvane::archiver {

std::uint16_t UpdateCrc16(std::uint16_t crc, const std::uint8_t* data, std::size_t size);

inline std::uint16_t Crc16(const std::uint8_t* data, std::size_t size) {
    return UpdateCrc16(0, data, size);
}

}  // namespace zolvane::archiver
