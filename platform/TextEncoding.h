// Conversions between this system's text (UTF-8) and the code page of Japanese Windows.
#pragma once

#include <optional>
#include <string>

namespace zolvane::platform {

bool IsValidUtf8(const std::string& text);

// Code page 932 (Shift-JIS as Windows writes it) to UTF-8; empty when the bytes are
// not valid in that code page.
std::optional<std::string> Cp932ToUtf8(const std::string& text);

}  // namespace zolvane::platform
