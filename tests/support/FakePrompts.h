// The message boxes and overwrite questions of a fake engine surrounding: recorded, and
// answered as the test scripts them.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "join/OverwriteAnswer.h"
#include "platform/MessageKinds.h"

namespace zolvane::test {

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
    MessageButtons buttons;
    std::string detail;
};

struct FakePrompts {
    std::vector<ShownMessage> messages;
    // Answers for two-button boxes, in order; when none is left, Cancel.
    std::deque<MessageReply> replies;
    // Called for every message before the reply is taken, e.g. to swap a disk.
    std::function<void(const ShownMessage&)> onMessage;

    std::vector<std::string> overwriteQuestions;
    // Answers for the overwrite question; when none is left, Cancel.
    std::deque<OverwriteAnswer> overwriteAnswers;

    MessageReply show(const std::string& text, const std::string& caption, MessageIcon icon,
                      MessageButtons buttons, const std::string& detail) {
        messages.push_back({text, caption, icon, buttons, detail});
        if (onMessage) {
            onMessage(messages.back());
        }
        if (buttons == MessageButtons::Ok) {
            return MessageReply::Ok;
        }
        return next(replies, MessageReply::Cancel);
    }

    OverwriteAnswer ask(const std::string& name) {
        overwriteQuestions.push_back(name);
        return next(overwriteAnswers, OverwriteAnswer::Cancel);
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> all;
        for (const auto& shown : messages) {
            all.push_back(shown.text);
        }
        return all;
    }

private:
    template <typename T>
    static T next(std::deque<T>& script, T otherwise) {
        if (script.empty()) {
            return otherwise;
        }
        const T answer = script.front();
        script.pop_front();
        return answer;
    }
};

}  // namespace zolvane::test
