// What a join makes of the name recorded in piece 000.
#pragma once

#include <optional>
#include <string>

namespace zolvane {

// The recorded name as this system's text: sets made on Japanese Windows carry code
// page 932 bytes, which are converted; anything else is kept as it is.
std::string RecordedNameAsText(const std::string& recorded);

// The file name a join writes: the part after the last "\" or "/" of the converted name.
// Empty when that leaves no usable name ("", ".", ".."), so that a join never writes
// outside its destination folder.
std::optional<std::string> OutputNameOf(const std::string& recorded);

}  // namespace zolvane
