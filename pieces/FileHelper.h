// Size and last-write time of a file behind an open stream.
#pragma once

#include <cstdint>
#include <cstdio>

#include "pieces/PieceHeader.h"

namespace zolvane {

class FileHelper {
public:
    // The helper borrows the stream: it never opens or closes it.
    void AttachStream(std::FILE* stream) { stream_ = stream; }

    // Size in bytes of the stream, leaving its position where it was; -1 on failure.
    // Wider than the format's sizes so that callers can refuse a too large file.
    std::int64_t MeasureSize();

    // The file's last-write time as local DOS words (time word first). 0 or -1.
    int ReadTimestamp(TimestampBytes& out);

    // Makes the DOS words the file's last-write time. Flushes first. 0 or -1.
    int WriteTimestamp(const TimestampBytes& in);

    std::int64_t size() const { return size_; }

private:
    std::FILE* stream_ = nullptr;
    std::int64_t size_ = 0;
};

}  // namespace zolvane
