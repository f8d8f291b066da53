#include "pieces/RecordedName.h"

#include "platform/TextEncoding.h"

namespace zolvane {

std::string RecordedNameAsText(const std::string& recorded) {
    if (platform::IsValidUtf8(recorded)) {
        return recorded;
    }
    return platform::Cp932ToUtf8(recorded).value_or(recorded);
}

// Convert first, then cut: in code page 932 the second byte of a character such as 表
// is 0x5C, the byte of "\".
std::optional<std::string> OutputNameOf(const std::string& recorded) {
    const std::string text = RecordedNameAsText(recorded);
    const auto separator = text.find_last_of("\\/");
    std::string name = separator == std::string::npos ? text : text.substr(separator + 1);
    if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return name;
}

}  // namespace zolvane
