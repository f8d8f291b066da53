// The free piece size as the user types it.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace zolvane::gui {

// The whole text as one signed 32-bit integer: leading blanks and one sign allowed, "$" or
// "0x" before hexadecimal digits. Empty for anything else, an empty text, or a value out of
// range.
std::optional<std::int32_t> FreeSizeValue(const QString& text);

}  // namespace zolvane::gui
