// Last-write time through fstat and futimens on the stream's descriptor.
#include "platform/FileTimes.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace zolvane::platform {

std::optional<std::time_t> ReadLastWriteTime(std::FILE* stream) {
    struct stat info {};
    if (stream == nullptr || fstat(fileno(stream), &info) != 0) {
        return std::nullopt;
    }
    return info.st_mtim.tv_sec;
}

bool WriteLastWriteTime(std::FILE* stream, std::time_t time) {
    if (stream == nullptr || std::fflush(stream) != 0) {
        return false;
    }
    const timespec times[2] = {{0, UTIME_OMIT}, {time, 0}};
    return futimens(fileno(stream), times) == 0;
}

}  // namespace zolvane::platform
