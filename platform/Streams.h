// Positions of buffered streams, and moving a block of data from one to another.
#pragma once

#include <cstdint>
#include <cstdio>

namespace zolvane::platform {

// 64-bit positions: files of 2 GiB and more must still be measurable, if only to refuse
// them. -1 on failure.
std::int64_t TellStream(std::FILE* stream);

// whence as for fseek. False on failure.
bool SeekStream(std::FILE* stream, std::int64_t offset, int whence);

struct BlockCopy {
    std::size_t read = 0;     // bytes taken from the input; fewer than asked at its end
    std::size_t written = 0;  // bytes that reached the output; fewer than read on failure
    bool readFailed = false;  // the input could not be read (not merely ended)
};

// Moves up to `count` bytes from the input stream's position to the output stream's, with
// the outcome of an fread followed by an fwrite of what was read; both positions move on.
// Where the system can copy between the files itself the bytes do not pass through this
// process; otherwise they go through `buffer`, which holds at least `count` bytes.
BlockCopy CopyBlock(std::FILE* in, std::FILE* out, std::size_t count, std::uint8_t* buffer);

}  // namespace zolvane::platform
