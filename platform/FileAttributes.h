// The Windows-style attribute word that piece headers carry.
#pragma once

#include <cstdint>
#include <string>

namespace zolvane::platform {

inline constexpr std::int32_t kAttributeReadOnly = 0x01;
inline constexpr std::int32_t kAttributeHidden = 0x02;
inline constexpr std::int32_t kAttributeArchive = 0x20;

// The attribute word of a file, or -1 when it cannot be examined.
std::int32_t ReadAttributeWord(const std::string& path);

// Applies what this platform can of a word: the read-only bit. Returns false on failure.
bool ApplyAttributeWord(const std::string& path, std::int32_t word);

}  // namespace zolvane::platform
