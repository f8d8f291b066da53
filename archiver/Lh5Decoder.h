// Our own reader of -lh5- data, and of -lh6- and -lh7-, which share its block format with
// a larger window. The unpacker uses it where libarchive refuses a member that other LZH
// readers take (streams shorter than 8 bytes). Packed data is never trusted: memory stays
// bounded by the window whatever sizes a header claims, no byte outside the packed data
// and none before the start of the output is ever read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "archiver/ByteStreams.h"

namespace zolvane::archiver {

struct LhMethod {
    unsigned windowBits = 13;
    unsigned positionCodes = 14;  // NP
    unsigned positionCountBits = 4;
};

// The parameters of "-lh5-", "-lh6-" or "-lh7-"; nothing for any other method.
std::optional<LhMethod> LhMethodNamed(const std::string& method);

enum class DecodeOutcome { Done, Damaged, BadCrc, ReadFailed, WriteFailed };

// Unpacks the packed bytes that source gives, up to its end, into exactly originalSize
// bytes for sink, and checks their CRC-16 against crc. Bytes after what the member needs
// are ignored; a stream that needs more than it has is Damaged.
DecodeOutcome DecodeLh(const LhMethod& method, ByteSource& packed, std::uint64_t originalSize,
                       std::uint16_t crc, ByteSink& sink);

const char* DescribeOutcome(DecodeOutcome outcome);

}  // namespace zolvane::archiver
