#include "pieces/FileHelper.h"

#include "platform/DosTime.h"
#include "platform/FileTimes.h"
#include "platform/Streams.h"

namespace zolvane {

std::int64_t FileHelper::MeasureSize() {
    size_ = -1;
    if (stream_ == nullptr) {
        return size_;
    }
    const std::int64_t here = platform::TellStream(stream_);
    if (here < 0 || !platform::SeekStream(stream_, 0, SEEK_END)) {
        return size_;
    }
    const std::int64_t end = platform::TellStream(stream_);
    if (!platform::SeekStream(stream_, here, SEEK_SET)) {
        return size_;
    }
    size_ = end;
    return size_;
}

int FileHelper::ReadTimestamp(TimestampBytes& out) {
    const auto time = platform::ReadLastWriteTime(stream_);
    if (!time) {
        return -1;
    }
    const platform::DosDateTime dos = platform::ToDosDateTime(*time);
    out = {static_cast<std::uint8_t>(dos.time), static_cast<std::uint8_t>(dos.time >> 8),
           static_cast<std::uint8_t>(dos.date), static_cast<std::uint8_t>(dos.date >> 8)};
    return 0;
}

int FileHelper::WriteTimestamp(const TimestampBytes& in) {
    const platform::DosDateTime dos{static_cast<std::uint16_t>(in[0] | (in[1] << 8)),
                                    static_cast<std::uint16_t>(in[2] | (in[3] << 8))};
    const auto time = platform::FromDosDateTime(dos);
    if (!time || !platform::WriteLastWriteTime(stream_, *time)) {
        return -1;
    }
    return 0;
}

}  // namespace zolvane
