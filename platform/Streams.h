// 64-bit positions of buffered streams (files of 2 GiB and more must still be measurable,
// if only to refuse them).
#pragma once

#include <cstdint>
#include <cstdio>

namespace zolvane::platform {

// -1 on failure.
std::int64_t TellStream(std::FILE* stream);

// whence as for fseek. False on failure.
bool SeekStream(std::FILE* stream, std::int64_t offset, int whence);

}  // namespace zolvane::platform
