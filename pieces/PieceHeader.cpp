#include "pieces/PieceHeader.h"

#include <algorithm>
#include <cerrno>

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

// A file that ends early is the piece's fault; a read that fails is the system's, and the
// two must never be told the user as the same thing.
enum class Got { All, Ended, Failed };

Got ReadExactly(std::FILE* stream, void* buffer, std::size_t count) {
    errno = 0;
    if (std::fread(buffer, 1, count, stream) == count) {
        return Got::All;
    }
    if (!std::ferror(stream)) {
        return Got::Ended;
    }
    if (errno == 0) {
        errno = EIO;  // a stream that failed without saying why
    }
    return Got::Failed;
}

Got ReadInt32(std::FILE* stream, std::int32_t& value) {
    std::uint8_t bytes[4];
    const Got got = ReadExactly(stream, bytes, sizeof bytes);
    if (got == Got::All) {
        value = DecodeInt32(bytes);
    }
    return got;
}

HeaderStatus ShortHeader(Got got) {
    return got == Got::Failed ? HeaderStatus::ReadFailed : HeaderStatus::Truncated;
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
    const Got gotMagic = ReadExactly(stream, magic, sizeof magic);
    if (gotMagic == Got::Failed) {
        return HeaderStatus::ReadFailed;
    }
    if (gotMagic == Got::Ended || magic[0] != kPieceMagic[0] || magic[1] != kPieceMagic[1]) {
        return HeaderStatus::BadMagic;
    }
    std::int32_t nameLength = 0;
    if (const Got got = ReadInt32(stream, nameLength); got != Got::All) {
        return ShortHeader(got);
    }
    if (nameLength > kMaxNameLength) {
        return HeaderStatus::NameTooLong;
    }
    if (nameLength < 1) {
        return HeaderStatus::BadName;
    }
    std::string name(static_cast<std::size_t>(nameLength), '\0');
    if (const Got got = ReadExactly(stream, name.data(), name.size()); got != Got::All) {
        return ShortHeader(got);
    }
    // The name must end at its zero byte and hold no other.
    if (name.back() != '\0' || name.find('\0') != name.size() - 1) {
        return HeaderStatus::BadName;
    }
    name.pop_back();

    std::uint8_t rest[17];
    if (const Got got = ReadExactly(stream, rest, sizeof rest); got != Got::All) {
        return ShortHeader(got);
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

NumberRead ReadPieceNumber(std::FILE* stream, std::int32_t& number) {
    switch (ReadInt32(stream, number)) {
    case Got::All:
        return {};
    case Got::Ended:
        return {NumberStatus::Truncated, 0};
    case Got::Failed:
        break;
    }
    return {NumberStatus::ReadFailed, errno};
}

}  // namespace zolvane
