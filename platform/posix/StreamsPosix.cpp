#include "platform/Streams.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

namespace zolvane::platform {

std::int64_t TellStream(std::FILE* stream) {
    return static_cast<std::int64_t>(ftello(stream));
}

bool SeekStream(std::FILE* stream, std::int64_t offset, int whence) {
    return fseeko(stream, static_cast<off_t>(offset), whence) == 0;
}

// copy_file_range works on the descriptors at offsets of our own, so the streams are
// brought in step once here and moved on once at the end, not at every block.
BlockCopier::BlockCopier(std::FILE* in, std::FILE* out, std::uint8_t* buffer)
    : in_(in), out_(out), buffer_(buffer) {
    if (std::fflush(out_) != 0) {
        return;  // the buffered path will meet the failure again and report it
    }
    inOffset_ = TellStream(in_);
    outOffset_ = TellStream(out_);
    inKernel_ = inOffset_ >= 0 && outOffset_ >= 0;
}

BlockCopier::~BlockCopier() {
    handBackToStreams();
}

void BlockCopier::handBackToStreams() {
    if (inKernel_) {
        inKernel_ = false;
        SeekStream(in_, inOffset_, SEEK_SET);
        SeekStream(out_, outOffset_, SEEK_SET);
    }
}

BlockCopy BlockCopier::copyThroughBuffer(std::size_t count) {
    BlockCopy copy;
    copy.read = std::fread(buffer_, 1, count, in_);
    copy.readFailed = copy.read < count && std::ferror(in_) != 0;
    if (copy.read > 0) {
        copy.written = std::fwrite(buffer_, 1, copy.read, out_);
    }
    return copy;
}

// Whatever the kernel copy cannot do (another file system, an error) is left to the
// buffered path, which then tells exactly what failed.
BlockCopy BlockCopier::copy(std::size_t count) {
    if (!inKernel_) {
        return copyThroughBuffer(count);
    }
    std::size_t done = 0;
    while (done < count) {
        off_t inOffset = static_cast<off_t>(inOffset_);
        off_t outOffset = static_cast<off_t>(outOffset_);
        const ssize_t moved =
            copy_file_range(fileno(in_), &inOffset, fileno(out_), &outOffset, count - done, 0);
        if (moved < 0 && errno == EINTR) {
            continue;
        }
        if (moved < 0) {
            handBackToStreams();
            const BlockCopy rest = copyThroughBuffer(count - done);
            return {done + rest.read, done + rest.written, rest.readFailed};
        }
        if (moved == 0) {
            break;  // the input has ended
        }
        inOffset_ += moved;
        outOffset_ += moved;
        done += static_cast<std::size_t>(moved);
    }
    return {done, done, false};
}

}  // namespace zolvane::platform
