// Split operations that record what the engine shows and answer as a test scripts.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "split/SplitOperations.h"

namespace zolvane::test {

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
    MessageButtons buttons;
};

class FakeSplitOperations final : public SplitOperations {
public:
    SizeChoice choice = SizeChoice::Floppy1440K;
    std::int32_t freeSize = 0;
    std::uint8_t mark = 0;

    std::vector<std::string> sources;
    std::vector<std::string> pieces;
    std::vector<int> progress;
    std::vector<ShownMessage> messages;
    std::vector<std::string> overwriteQuestions;
    int eventRounds = 0;
    int releases = 0;

    // Answers for two-button boxes, in order; when none is left, Cancel.
    std::deque<MessageReply> replies;
    // Called for every message before the reply is taken, e.g. to swap a disk.
    std::function<void(const ShownMessage&)> onMessage;
    std::deque<OverwriteAnswer> overwriteAnswers;
    // The user cancels during this event round (1 = the first).
    int cancelAtRound = 0;
    std::function<void(int round)> onEvents;

    SizeChoice sizeChoice() override { return choice; }
    std::int32_t pieceSize() override { return freeSize; }
    std::uint8_t archiveMark() override { return mark; }
    void showSource(const std::string& path) override { sources.push_back(path); }
    void showPiece(const std::string& path) override { pieces.push_back(path); }
    void showProgress(int percent) override { progress.push_back(percent); }
    void processEvents() override {
        ++eventRounds;
        if (onEvents) {
            onEvents(eventRounds);
        }
    }
    bool cancelRequested() override { return cancelAtRound != 0 && eventRounds >= cancelAtRound; }
    OverwriteAnswer askOverwrite(const std::string& path) override {
        overwriteQuestions.push_back(path);
        if (overwriteAnswers.empty()) {
            return OverwriteAnswer::Cancel;
        }
        const OverwriteAnswer answer = overwriteAnswers.front();
        overwriteAnswers.pop_front();
        return answer;
    }
    MessageReply message(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons) override {
        messages.push_back({text, caption, icon, buttons});
        if (onMessage) {
            onMessage(messages.back());
        }
        if (buttons == MessageButtons::Ok) {
            return MessageReply::Ok;
        }
        if (replies.empty()) {
            return MessageReply::Cancel;
        }
        const MessageReply reply = replies.front();
        replies.pop_front();
        return reply;
    }
    void release() override { ++releases; }

    std::vector<std::string> texts() const {
        std::vector<std::string> all;
        for (const auto& shown : messages) {
            all.push_back(shown.text);
        }
        return all;
    }
};

}  // namespace zolvane::test
