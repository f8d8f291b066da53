// The vocabulary of the modal message boxes that engines ask their surroundings to show.
#pragma once

#include <string>
#include <system_error>

namespace zolvane {

enum class MessageIcon { None, Error, Warning, Information };

// OverwriteAllCancel: "すべて上書き" and Cancel; the first answers Ok.
enum class MessageButtons { Ok, OkCancel, RetryCancel, OverwriteAllCancel };

enum class MessageReply { Ok, Cancel, Retry };

}  // namespace zolvane

namespace zolvane {

// One message box: its text, caption, icon and buttons.
struct MessageBoxSpec {
    const char* text;
    const char* caption;
    MessageIcon icon;
    MessageButtons buttons;
};

// A detail line: the file concerned and, for a non-zero errno value, the system's reason.
inline std::string DetailOf(const std::string& path, int error = 0) {
    if (error == 0) {
        return path;
    }
    return path + ": " + std::generic_category().message(error);
}

// Shows a box through whatever surroundings an engine was given. The detail names the file
// concerned and, where known, the system's reason ("PATH: REASON"); the terminal prints it on
// the line after the text, the window program below the text in the same box.
template <typename Operations>
MessageReply Show(Operations& ops, const MessageBoxSpec& box, const std::string& detail = {}) {
    return ops.message(box.text, box.caption, box.icon, box.buttons, detail);
}

}  // namespace zolvane
