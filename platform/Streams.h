// Positions of buffered streams, and moving a block of data from one to another.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace zolvane::platform {

// 64-bit positions: files of 2 GiB and more must still be measurable, if only to refuse
// them. -1 on failure.
std::int64_t TellStream(std::FILE* stream);

// whence as for fseek. False on failure.
bool SeekStream(std::FILE* stream, std::int64_t offset, int whence);

// Closes a stream if it is open and forgets it; false when the close failed.
inline bool CloseStream(std::FILE*& stream) {
    if (stream == nullptr) {
        return true;
    }
    const bool closed = std::fclose(stream) == 0;
    stream = nullptr;
    return closed;
}

// Opens a file for writing as fopen's "wb" does, except that a symbolic link in its place
// is replaced by the file rather than written through. Null with errno set on failure.
std::FILE* OpenForWriting(const std::string& path);

// Hands the stream's buffered bytes to the system and has the system put the file's data
// on its disk. 0, or the system's error number: a disk that fails on write may say so
// only here.
int SyncStream(std::FILE* stream);
// The same without handing over buffered bytes first (after a flush that failed for lack of
// room, say).
int SyncWritten(std::FILE* stream);

// Puts a folder's entries (a file just made or renamed in it) on its disk. 0, or the
// system's error number.
int SyncFolder(const std::string& folder);

struct BlockCopy {
    std::size_t read = 0;     // bytes taken from the input; fewer than asked at its end
    std::size_t written = 0;  // bytes that reached the output; fewer than read on failure
    bool readFailed = false;  // the input could not be read (not merely ended)
    int error = 0;            // the system's error number when a read or write failed
};

// Moves data from one stream's position to another's, block by block, with the outcome
// of an fread followed by an fwrite of what was read. Where the system can copy between
// the files itself the bytes do not pass through this process, and the bytes the caller is
// certain to ask for are moved in large runs ahead of its asks; whatever was moved ahead but
// never asked for (after a cancel, say) is taken off the output's end again, so the files
// end up exactly as block-by-block copying leaves them. Otherwise the bytes go through the
// caller's buffer. While a copier lives it owns both positions: use the streams for nothing
// else until it is destroyed, which leaves both where the asks reached.
class BlockCopier {
public:
    // `buffer` holds at least as many bytes as any one copy asks for; `certain` is how many
    // bytes the caller will ask for in all unless it stops early.
    BlockCopier(std::FILE* in, std::FILE* out, std::uint8_t* buffer, std::int64_t certain);
    ~BlockCopier();
    BlockCopier(const BlockCopier&) = delete;
    BlockCopier& operator=(const BlockCopier&) = delete;

    BlockCopy copy(std::size_t count);

private:
    std::size_t copyInKernel(std::size_t count, bool& failed);
    void copyAhead();
    BlockCopy copyThroughBuffer(std::size_t count);
    void handBackToStreams();

    std::FILE* in_;
    std::FILE* out_;
    std::uint8_t* buffer_;
    bool inKernel_ = false;
    std::int64_t inOffset_ = -1;   // where the asks have reached
    std::int64_t outOffset_ = -1;
    std::int64_t ahead_ = 0;       // bytes moved beyond the asks
    std::int64_t certainLeft_ = 0; // bytes still certain to be asked for, ahead_ included
    bool outputAtEnd_ = false;     // only then may bytes moved ahead be taken off again
};

}  // namespace zolvane::platform
