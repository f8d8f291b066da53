#include "platform/Streams.h"

#include <sys/types.h>

namespace zolvane::platform {

std::int64_t TellStream(std::FILE* stream) {
    return static_cast<std::int64_t>(ftello(stream));
}

bool SeekStream(std::FILE* stream, std::int64_t offset, int whence) {
    return fseeko(stream, static_cast<off_t>(offset), whence) == 0;
}

}  // namespace zolvane::platform
