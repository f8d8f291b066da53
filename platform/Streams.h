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

// Moves data from one stream's position to another's, block by block, with the outcome
// of an fread followed by an fwrite of what was read. Where the system can copy between
// the files itself the bytes do not pass through this process; otherwise they go through
// the caller's buffer. While a copier lives it owns both positions: use the streams for
// nothing else until it is destroyed, which leaves both where the copying reached.
class BlockCopier {
public:
    // `buffer` holds at least as many bytes as any one copy asks for.
    BlockCopier(std::FILE* in, std::FILE* out, std::uint8_t* buffer);
    ~BlockCopier();
    BlockCopier(const BlockCopier&) = delete;
    BlockCopier& operator=(const BlockCopier&) = delete;

    BlockCopy copy(std::size_t count);

private:
    BlockCopy copyThroughBuffer(std::size_t count);
    void handBackToStreams();

    std::FILE* in_;
    std::FILE* out_;
    std::uint8_t* buffer_;
    std::int64_t inOffset_ = -1;
    std::int64_t outOffset_ = -1;
    bool inKernel_ = false;
};

}  // namespace zolvane::platform
