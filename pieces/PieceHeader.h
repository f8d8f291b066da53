// The header at the start of every piece file, and its byte layout.
//
// Piece 000:  "ZV" | NameLength i32 | RecordedName + NUL | OriginalSize i32 |
//             Timestamp (DOS time u16, DOS date u16) | Attributes i32 |
//             ArchiveFlag u8 | PieceNumber i32 | data...
// Later:      PieceNumber i32 | data...
// All integers little-endian, no padding.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zolvane {

inline constexpr char kPieceMagic[2] = {'Z', 'V'};
// NameLength counts the zero byte; readers refuse anything longer.
inline constexpr std::int32_t kMaxNameLength = 255;
// Bytes of the first header besides the recorded name.
inline constexpr std::int32_t kFirstHeaderFixedBytes = 23;
inline constexpr std::int32_t kLaterHeaderBytes = 4;
// Piece numbers are three decimal digits.
inline constexpr std::int32_t kLastPieceNumber = 999;
// Both engines move data in blocks of this size. A join tests the recorded size after
// every block, so whether it accepts surplus data in a piece depends on it too.
inline constexpr std::int32_t BlockSize = 30000;

using TimestampBytes = std::array<std::uint8_t, 4>;

struct PieceHeader {
    std::int32_t NameLength = 1;  // bytes of RecordedName with its zero byte
    std::string RecordedName;     // without the zero byte
    std::int32_t OriginalSize = 0;
    TimestampBytes Timestamp{};
    std::int32_t Attributes = -1;
    std::uint8_t ArchiveFlag = 0;
    std::int32_t PieceNumber = 0;

    std::int32_t firstHeaderBytes() const { return kFirstHeaderFixedBytes + NameLength; }
};

// The bytes of piece 000's header; NameLength is taken from RecordedName.
std::vector<std::uint8_t> EncodeFirstHeader(const PieceHeader& header);
std::array<std::uint8_t, 4> EncodePieceNumber(std::int32_t number);

// Writes return false when not every byte reached the stream.
bool WriteFirstHeader(std::FILE* stream, const PieceHeader& header);
bool WritePieceNumber(std::FILE* stream, std::int32_t number);

enum class HeaderStatus {
    Ok,
    BadMagic,     // not a piece 000
    NameTooLong,  // NameLength above 255
    BadName,      // NameLength below 1, or the name is not NameLength - 1 bytes and a zero byte
    Truncated,    // the file ends inside the header
    ReadFailed,   // the system could not read the file: a disk fault, not a format fault
};

// Reads piece 000's whole header, PieceNumber included, checking in field order.
// PieceNumber's value is left for the caller to judge. On ReadFailed errno holds the
// system's reason.
HeaderStatus ReadFirstHeader(std::FILE* stream, PieceHeader& header);

enum class NumberStatus {
    Ok,
    Truncated,   // the file ends before four bytes
    ReadFailed,  // the system could not read the file
};

// Tests true only when a number was read, so that a caller with no use for the reason can
// still ask `if (!ReadPieceNumber(...))`.
struct NumberRead {
    NumberStatus status = NumberStatus::Ok;
    int error = 0;  // errno of a ReadFailed, else 0

    explicit operator bool() const { return status == NumberStatus::Ok; }
};

// Reads a PieceNumber; on ReadFailed errno holds the reason as well.
NumberRead ReadPieceNumber(std::FILE* stream, std::int32_t& number);

}  // namespace zolvane
