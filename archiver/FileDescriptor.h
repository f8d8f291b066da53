// An open file descriptor that closes itself, and a write that finishes what it starts.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace zolvane::archiver {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0) {
            close(fd_);
        }
        fd_ = fd;
    }

private:
    int fd_;
};

// Writes all bytes, at offset when it is not negative, else at the file position.
inline bool WriteAll(int fd, const std::uint8_t* data, std::size_t size, std::int64_t offset = -1) {
    while (size > 0) {
        const ssize_t done = offset < 0 ? write(fd, data, size) : pwrite(fd, data, size, offset);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done == 0) {
            errno = EIO;  // nothing taken and no reason given: never report a stale errno
        }
        if (done <= 0) {
            return false;
        }
        data += done;
        size -= static_cast<std::size_t>(done);
        offset = offset < 0 ? offset : offset + done;
    }
    return true;
}

}  // namespace zolvane::archiver
