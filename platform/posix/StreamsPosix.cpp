#include "platform/Streams.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

namespace zolvane::platform {
namespace {

BlockCopy CopyThroughBuffer(std::FILE* in, std::FILE* out, std::size_t count, std::uint8_t* buffer) {
    BlockCopy copy;
    copy.read = std::fread(buffer, 1, count, in);
    copy.readFailed = copy.read < count && std::ferror(in) != 0;
    if (copy.read > 0) {
        copy.written = std::fwrite(buffer, 1, copy.read, out);
    }
    return copy;
}

// copy_file_range keeps the data in the kernel. It works on the descriptors at explicit
// offsets, so both streams are brought in step first and moved on afterwards. Whatever it
// cannot do (another file system, an error) is left to the buffered path, which then tells
// exactly what failed.
BlockCopy CopyInKernel(std::FILE* in, std::FILE* out, std::size_t count, std::uint8_t* buffer) {
    // Descriptors the system refused last time (another file system, say): a hint that
    // spares a failing call per block, never a question of correctness.
    static bool unsupported = false;
    static int refusedIn = -1;
    static int refusedOut = -1;
    if (unsupported || (fileno(in) == refusedIn && fileno(out) == refusedOut) ||
        std::fflush(out) != 0) {
        return CopyThroughBuffer(in, out, count, buffer);
    }
    const off_t inStart = ftello(in);
    const off_t outStart = ftello(out);
    if (inStart < 0 || outStart < 0) {
        return CopyThroughBuffer(in, out, count, buffer);
    }
    off_t inOffset = inStart;
    off_t outOffset = outStart;
    std::size_t done = 0;
    bool ended = false;
    while (done < count) {
        const ssize_t moved =
            copy_file_range(fileno(in), &inOffset, fileno(out), &outOffset, count - done, 0);
        if (moved < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (done == 0 && (errno == ENOSYS || errno == EXDEV || errno == EINVAL ||
                              errno == EOPNOTSUPP || errno == EBADF || errno == EPERM)) {
                unsupported = errno == ENOSYS;
                refusedIn = fileno(in);
                refusedOut = fileno(out);
            }
            break;
        }
        if (moved == 0) {
            ended = true;
            break;
        }
        done += static_cast<std::size_t>(moved);
    }
    if (fseeko(in, inOffset, SEEK_SET) != 0 || fseeko(out, outOffset, SEEK_SET) != 0) {
        BlockCopy failed;
        failed.read = done;
        failed.written = 0;
        return failed;
    }
    BlockCopy copy;
    copy.read = done;
    copy.written = done;
    if (done < count && !ended) {
        const BlockCopy rest = CopyThroughBuffer(in, out, count - done, buffer);
        copy.read += rest.read;
        copy.written += rest.written;
        copy.readFailed = rest.readFailed;
    }
    return copy;
}

}  // namespace

std::int64_t TellStream(std::FILE* stream) {
    return static_cast<std::int64_t>(ftello(stream));
}

bool SeekStream(std::FILE* stream, std::int64_t offset, int whence) {
    return fseeko(stream, static_cast<off_t>(offset), whence) == 0;
}

BlockCopy CopyBlock(std::FILE* in, std::FILE* out, std::size_t count, std::uint8_t* buffer) {
    return CopyInKernel(in, out, count, buffer);
}

}  // namespace zolvane::platform
