// Fuzz target: the piece header reader. Whatever the bytes, the reader's verdict must be the
// one the layout gives, and a header it accepts must encode back to the bytes it came from.
#include <cstdio>
#include <cstring>

#include "pieces/PieceHeader.h"
#include "tests/fuzz/FuzzSupport.h"

namespace zolvane::fuzz {
namespace {

std::int32_t Int32At(const std::uint8_t* data) {
    return static_cast<std::int32_t>(data[0] | (data[1] << 8) | (data[2] << 16) |
                                     (static_cast<std::uint32_t>(data[3]) << 24));
}

// The verdict read straight off the layout, in field order.
HeaderStatus ExpectedStatus(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || data[0] != 'Z' || data[1] != 'V') {
        return HeaderStatus::BadMagic;
    }
    if (size < 6) {
        return HeaderStatus::Truncated;
    }
    const std::int32_t nameLength = Int32At(data + 2);
    if (nameLength > kMaxNameLength) {
        return HeaderStatus::NameTooLong;
    }
    if (nameLength < 1) {
        return HeaderStatus::BadName;
    }
    const auto nameEnd = static_cast<std::size_t>(6 + nameLength);
    if (size < nameEnd) {
        return HeaderStatus::Truncated;
    }
    if (std::memchr(data + 6, 0, static_cast<std::size_t>(nameLength)) != data + nameEnd - 1) {
        return HeaderStatus::BadName;
    }
    return size < nameEnd + 17 ? HeaderStatus::Truncated : HeaderStatus::Ok;
}

// A private copy: the stream may not be given libFuzzer's const bytes. The spare byte keeps
// the buffer valid when the input is empty.
std::FILE* OpenBytes(Bytes& bytes) {
    const std::size_t size = bytes.size();
    bytes.push_back(0);
    return fmemopen(bytes.data(), size, "rb");
}

void CheckFirstHeader(const std::uint8_t* data, std::size_t size) {
    Bytes copy(data, data + size);
    std::FILE* stream = OpenBytes(copy);
    PieceHeader header;
    const HeaderStatus status = ReadFirstHeader(stream, header);
    const long position = std::ftell(stream);
    std::fclose(stream);
    if (status != ExpectedStatus(data, size)) {
        Fail("ReadFirstHeader gave status " + std::to_string(static_cast<int>(status)));
    }
    if (status != HeaderStatus::Ok) {
        return;
    }
    const Bytes encoded = EncodeFirstHeader(header);
    if (header.NameLength != static_cast<std::int32_t>(header.RecordedName.size() + 1) ||
        encoded.size() != static_cast<std::size_t>(header.firstHeaderBytes()) ||
        position != header.firstHeaderBytes()) {
        Fail("the header's length, its name and the bytes read disagree");
    }
    if (!std::equal(encoded.begin(), encoded.end(), data)) {
        Fail("the header read does not encode back to the same bytes");
    }
}

void CheckPieceNumber(const std::uint8_t* data, std::size_t size) {
    Bytes copy(data, data + size);
    std::FILE* stream = OpenBytes(copy);
    std::int32_t number = -7;
    const NumberStatus status = ReadPieceNumber(stream, number).status;
    std::fclose(stream);
    const bool read = status == NumberStatus::Ok;
    if (status != (size >= 4 ? NumberStatus::Ok : NumberStatus::Truncated)) {
        Fail("ReadPieceNumber read a number from fewer than four bytes, or none from four");
    }
    if (read && (number != Int32At(data) ||
                 EncodePieceNumber(number) !=
                     std::array<std::uint8_t, 4>{data[0], data[1], data[2], data[3]})) {
        Fail("the piece number read does not encode back to the same bytes");
    }
}

}  // namespace
}  // namespace zolvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zolvane::fuzz::CheckFirstHeader(data, size);
    zolvane::fuzz::CheckPieceNumber(data, size);
    return 0;
}
