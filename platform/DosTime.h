// DOS (FAT) date and time words, in local time, as piece headers store them.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace zolvane::platform {

struct DosDateTime {
    std::uint16_t time = 0;  // bits 0-4 seconds / 2, 5-10 minutes, 11-15 hours
    std::uint16_t date = 0;  // bits 0-4 day, 5-8 month, 9-15 years since 1980
};

// Converts a file time to local DOS words. Times outside 1980-2107 are clamped to
// the nearest time the format holds; odd seconds are truncated to the even second.
DosDateTime ToDosDateTime(std::time_t time);

// Converts local DOS words back to a file time; empty when the words are no valid date.
std::optional<std::time_t> FromDosDateTime(DosDateTime dos);

}  // namespace zolvane::platform
