// Last-write time of an open file.
#pragma once

#include <cstdio>
#include <ctime>
#include <optional>

namespace zolvane::platform {

std::optional<std::time_t> ReadLastWriteTime(std::FILE* stream);

// Flushes the stream first, so that closing it later moves the time no more.
// The last-access time is left alone.
bool WriteLastWriteTime(std::FILE* stream, std::time_t time);

}  // namespace zolvane::platform
