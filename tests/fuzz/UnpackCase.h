// The input of the unpack target: archive bytes as they come, or members that the target
// builds into an archive with valid checksums, so that fuzzed names, types and methods get
// past the reader's checks to the unpacking itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/archiver/ArchiverTesting.h"
#include "tests/fuzz/FuzzSupport.h"

namespace zolvane::fuzz {

struct UnpackCase {
    bool built = false;
    Bytes raw;                              // when not built
    std::vector<test::HandMember> members;  // when built
};

inline constexpr std::size_t kMaxMembers = 8;

UnpackCase DecodeUnpackCase(const std::uint8_t* data, std::size_t size);
Bytes EncodeUnpackCase(const UnpackCase& unpack);
Bytes ArchiveOf(const UnpackCase& unpack);

}  // namespace zolvane::fuzz
