#include "platform/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace zolvane::platform {
namespace {

// Runs of this size keep the number of system calls low without holding much back from a
// cancel: what was moved ahead is cut off again anyway.
constexpr std::int64_t kAheadRun = 4 << 20;

}  // namespace

std::int64_t TellStream(std::FILE* stream) {
    return static_cast<std::int64_t>(ftello(stream));
}

bool SeekStream(std::FILE* stream, std::int64_t offset, int whence) {
    return fseeko(stream, static_cast<off_t>(offset), whence) == 0;
}

std::FILE* OpenForWriting(const std::string& path) {
    constexpr int kFlags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW;
    int fd = open(path.c_str(), kFlags, 0666);
    if (fd < 0 && errno == ELOOP) {
        // The link goes, whatever it pointed at stays as it was.
        if (unlink(path.c_str()) != 0) {
            return nullptr;
        }
        fd = open(path.c_str(), kFlags | O_EXCL, 0666);
    }
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* stream = fdopen(fd, "wb");
    if (stream == nullptr) {
        const int error = errno;
        close(fd);
        errno = error;
    }
    return stream;
}

int SyncStream(std::FILE* stream) {
    if (std::fflush(stream) != 0) {
        return errno != 0 ? errno : EIO;
    }
    return SyncWritten(stream);
}

int SyncWritten(std::FILE* stream) {
    while (fsync(fileno(stream)) != 0) {
        if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

int SyncFolder(const std::string& folder) {
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    int error = 0;
    while (fsync(fd) != 0) {
        if (errno != EINTR) {
            error = errno;
            break;
        }
    }
    close(fd);
    return error;
}

// copy_file_range works on the descriptors at offsets of our own, so the streams are
// brought in step once here and moved on once at the end, not at every block.
BlockCopier::BlockCopier(std::FILE* in, std::FILE* out, std::uint8_t* buffer, std::int64_t certain)
    : in_(in), out_(out), buffer_(buffer), certainLeft_(certain) {
    if (std::fflush(out_) != 0) {
        return;  // the buffered path will meet the failure again and report it
    }
    inOffset_ = TellStream(in_);
    outOffset_ = TellStream(out_);
    inKernel_ = inOffset_ >= 0 && outOffset_ >= 0;
    struct stat info {};
    outputAtEnd_ = inKernel_ && fstat(fileno(out_), &info) == 0 && S_ISREG(info.st_mode) &&
                   info.st_size == outOffset_;
}

BlockCopier::~BlockCopier() {
    handBackToStreams();
}

void BlockCopier::handBackToStreams() {
    if (!inKernel_) {
        return;
    }
    inKernel_ = false;
    if (ahead_ > 0) {
        ftruncate(fileno(out_), static_cast<off_t>(outOffset_));
        ahead_ = 0;
    }
    SeekStream(in_, inOffset_, SEEK_SET);
    SeekStream(out_, outOffset_, SEEK_SET);
}

BlockCopy BlockCopier::copyThroughBuffer(std::size_t count) {
    BlockCopy copy;
    errno = 0;
    copy.read = std::fread(buffer_, 1, count, in_);
    copy.readFailed = copy.read < count && std::ferror(in_) != 0;
    if (copy.readFailed) {
        copy.error = errno;
    }
    if (copy.read > 0) {
        copy.written = std::fwrite(buffer_, 1, copy.read, out_);
        if (copy.written < copy.read) {
            copy.error = errno;
        }
    }
    return copy;
}

// Moves up to `count` bytes at the positions reached so far (asks plus what is ahead).
std::size_t BlockCopier::copyInKernel(std::size_t count, bool& failed) {
    std::size_t done = 0;
    failed = false;
    while (done < count) {
        off_t inOffset = static_cast<off_t>(inOffset_ + ahead_);
        off_t outOffset = static_cast<off_t>(outOffset_ + ahead_);
        const ssize_t moved = copy_file_range(fileno(in_), &inOffset, fileno(out_), &outOffset,
                                              count - done, 0);
        if (moved < 0 && errno == EINTR) {
            continue;
        }
        if (moved <= 0) {
            failed = moved < 0;
            break;
        }
        ahead_ += moved;
        done += static_cast<std::size_t>(moved);
    }
    return done;
}

void BlockCopier::copyAhead() {
    const std::int64_t run = std::min(kAheadRun, certainLeft_ - ahead_);
    if (run > 0 && outputAtEnd_) {
        bool failed = false;
        copyInKernel(static_cast<std::size_t>(run), failed);
        if (failed) {
            certainLeft_ = ahead_;  // leave the rest, and its error, to the asks
        }
    }
}

// Whatever the kernel copy cannot do (another file system, an error) is left to the
// buffered path, which then tells exactly what failed.
BlockCopy BlockCopier::copy(std::size_t count) {
    if (!inKernel_) {
        return copyThroughBuffer(count);
    }
    const auto asked = static_cast<std::int64_t>(count);
    if (ahead_ < asked) {
        copyAhead();
    }
    const std::int64_t fromAhead = std::min(asked, ahead_);
    inOffset_ += fromAhead;
    outOffset_ += fromAhead;
    ahead_ -= fromAhead;
    certainLeft_ -= fromAhead;
    std::size_t done = static_cast<std::size_t>(fromAhead);
    if (done == count) {
        return {done, done, false};
    }
    bool failed = false;
    const std::size_t moved = copyInKernel(count - done, failed);
    inOffset_ += ahead_;
    outOffset_ += ahead_;
    certainLeft_ -= ahead_;
    ahead_ = 0;
    done += moved;
    if (failed) {
        handBackToStreams();
        const BlockCopy rest = copyThroughBuffer(count - done);
        return {done + rest.read, done + rest.written, rest.readFailed, rest.error};
    }
    return {done, done, false};
}

}  // namespace zolvane::platform
