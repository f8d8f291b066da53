// Whether two names lead to the same file, so that no output ever replaces an input.
#pragma once

#include <cstdio>
#include <string>

namespace zolvane::platform {

// True when both paths exist and are the same file (links and other spellings included).
bool SameFile(const std::string& a, const std::string& b);

// True when the path exists and is the file behind the open stream.
bool SameFile(std::FILE* stream, const std::string& path);

}  // namespace zolvane::platform
