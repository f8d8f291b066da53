// The vocabulary of the modal message boxes that engines ask their surroundings to show.
#pragma once

namespace zolvane {

enum class MessageIcon { None, Error, Warning, Information };

enum class MessageButtons { Ok, OkCancel, RetryCancel };

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

// Shows a box through whatever surroundings an engine was given.
template <typename Operations>
MessageReply Show(Operations& ops, const MessageBoxSpec& box) {
    return ops.message(box.text, box.caption, box.icon, box.buttons);
}

}  // namespace zolvane
