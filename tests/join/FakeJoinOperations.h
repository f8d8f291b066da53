// Join operations that record what the engine shows and answer as a test scripts.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "join/JoinOperations.h"

namespace zolvane::test {

struct JoinMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
    MessageButtons buttons;
};

class FakeJoinOperations final : public JoinOperations {
public:
    std::vector<std::string> pieces;
    std::vector<std::string> outputs;
    std::vector<int> progress;
    std::vector<JoinMessage> messages;
    std::vector<std::string> overwriteQuestions;
    std::vector<std::string> commands;
    int eventRounds = 0;
    int releases = 0;

    std::deque<MessageReply> replies;  // two-button boxes; Cancel when none is left
    std::function<void(const JoinMessage&)> onMessage;
    std::deque<OverwriteAnswer> overwriteAnswers;
    int cancelAtRound = 0;

    bool ready = true;
    bool busy = false;
    int archiverResult = 0;
    std::function<void(const std::string&)> onArchiver;

    void showPiece(const std::string& path) override { pieces.push_back(path); }
    void showOutput(const std::string& path) override { outputs.push_back(path); }
    void showProgress(int percent) override { progress.push_back(percent); }
    void processEvents() override { ++eventRounds; }
    bool cancelRequested() override { return cancelAtRound != 0 && eventRounds >= cancelAtRound; }
    OverwriteAnswer askOverwrite(const std::string& name) override {
        overwriteQuestions.push_back(name);
        if (overwriteAnswers.empty()) {
            return OverwriteAnswer::Cancel;
        }
        const OverwriteAnswer answer = overwriteAnswers.front();
        overwriteAnswers.pop_front();
        return answer;
    }
    bool archiverReady() override { return ready; }
    bool archiverBusy() override { return busy; }
    int runArchiver(const std::string& command) override {
        commands.push_back(command);
        if (onArchiver) {
            onArchiver(command);
        }
        return archiverResult;
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
