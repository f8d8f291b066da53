#include "tests/support/PieceBuilder.h"

namespace zolvane::test {
namespace {

void Put32(Bytes& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void Put16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

}  // namespace

Bytes FirstPieceBytes(const FirstPiece& piece) {
    Bytes out = {'Z', 'V'};
    const auto stored = static_cast<std::int32_t>(piece.name.size() + (piece.terminate ? 1 : 0));
    Put32(out, static_cast<std::uint32_t>(piece.nameLength.value_or(stored)));
    out.insert(out.end(), piece.name.begin(), piece.name.end());
    if (piece.terminate) {
        out.push_back(0);
    }
    Put32(out, static_cast<std::uint32_t>(piece.originalSize));
    Put16(out, piece.time);
    Put16(out, piece.date);
    Put32(out, static_cast<std::uint32_t>(piece.attributes));
    out.push_back(piece.archiveFlag);
    Put32(out, static_cast<std::uint32_t>(piece.number));
    out.insert(out.end(), piece.data.begin(), piece.data.end());
    return out;
}

Bytes LaterPieceBytes(std::int32_t number, const Bytes& data) {
    Bytes out;
    Put32(out, static_cast<std::uint32_t>(number));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

}  // namespace zolvane::test
