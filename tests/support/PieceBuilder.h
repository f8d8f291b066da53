// Piece files built byte by byte, for sets no split engine would write.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tests/support/TempDir.h"

namespace zolvane::test {

struct FirstPiece {
    std::string name = "C:\\DATA\\REPORT.DOC";
    std::optional<std::int32_t> nameLength;  // default: the bytes of name and zero byte
    bool terminate = true;         // append the zero byte
    std::int32_t originalSize = 0;
    std::uint16_t time = 0x6b2a;  // 13:25:20
    std::uint16_t date = 0x2ac9;  // 2001-06-09
    std::int32_t attributes = 0x20;
    std::uint8_t archiveFlag = 0;
    std::int32_t number = 0;
    Bytes data;
};

Bytes FirstPieceBytes(const FirstPiece& piece);
Bytes LaterPieceBytes(std::int32_t number, const Bytes& data);

}  // namespace zolvane::test
