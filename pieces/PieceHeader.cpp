#include "pieces/PieceHeader.h"

namespace zolvane {
namespace {

void AppendInt32(std::vector<std::uint8_t>& out, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(bits >> shift));
    }
}

std::int32_t DecodeInt32(const std::uint8_t* bytes) {
    const std::uint32_t bits = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                               (static_cast<std::uint32_t>(bytes[3]) << 24);
    return static_cast<std::int32_t>(bits);
}

bool ReadExactly(std::FILE* stream, void* buffer, std::size_t count) {
    return std::fread(buffer, 1, count, stream) == count;
}

bool ReadInt32(std::FILE* stream, std::int32_t& value) {
    std::uint8_t bytes[4];
    if (!ReadExactly(stream, bytes, sizeof bytes)) {
        return false;
    }
    value = DecodeInt32(bytes);
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeFirstHeader(const PieceHeader& header) {
    const auto nameLength = static_cast<std::int32_t>(header.RecordedName.size() + 1);
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(kFirstHeaderFixedBytes + nameLength));
    out.push_back(static_cast<std::uint8_t>(kPieceMagic[0]));
    out.push_back(static_cast<std::uint8_t>(kPieceMagic[1]));
    AppendInt32(out, nameLength);
    out.insert(out.end(), header.RecordedName.begin(), header.RecordedName.end());
    out.push_back(0);
    AppendInt32(out, header.OriginalSize);
    out.insert(out.end(), header.Timestamp.begin(), header.Timestamp.end());
    AppendInt32(out, header.Attributes);
    out.push_back(header.ArchiveFlag);
    AppendInt32(out, header.PieceNumber);
    return out;
}

std::array<std::uint8_t, 4> EncodePieceNumber(std::int32_t number) {
    const auto bits = static_cast<std::uint32_t>(number);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

bool WriteFirstHeader(std::FILE* stream, const PieceHeader& header) {
    const std::vector<std::uint8_t> bytes = EncodeFirstHeader(header);
    return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
}

bool WritePieceNumber(std::FILE* stream, std::int32_t number) {
    const auto bytes = EncodePieceNumber(number);
    return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
}

HeaderStatus ReadFirstHeader(std::FILE* stream, PieceHeader& header) {
    char magic[2];
    if (!ReadExactly(stream, magic, sizeof magic) || magic[0] != kPieceMagic[0] ||
        magic[1] != kPieceMagic[1]) {
        return HeaderStatus::BadMagic;
    }
    std::int32_t nameLength = 0;
    if (!ReadInt32(stream, nameLength)) {
        return HeaderStatus::Truncated;
    }
    if (nameLength > kMaxNameLength) {
        return HeaderStatus::NameTooLong;
    }
    if (nameLength < 1) {
        return HeaderStatus::BadName;
    }
    std::string name(static_cast<std::size_t>(nameLength), '\0');
    if (!ReadExactly(stream, name.data(), name.size())) {
        return HeaderStatus::Truncated;
    }
    // The name must end at its zero byte and hold no other.
    if (name.back() != '\0' || name.find('\0') != name.size() - 1) {
        return HeaderStatus::BadName;
    }
    name.pop_back();

    std::uint8_t rest[17];
    if (!ReadExactly(stream, rest, sizeof rest)) {
        return HeaderStatus::Truncated;
    }
    header.NameLength = nameLength;
    header.RecordedName = std::move(name);
    header.OriginalSize = DecodeInt32(rest);
    std::copy(rest + 4, rest + 8, header.Timestamp.begin());
    header.Attributes = DecodeInt32(rest + 8);
    header.ArchiveFlag = rest[12];
    header.PieceNumber = DecodeInt32(rest + 13);
    return HeaderStatus::Ok;
}

bool ReadPieceNumber(std::FILE* stream, std::int32_t& number) {
    return ReadInt32(stream, number);
}

}  // namespace zolvane
