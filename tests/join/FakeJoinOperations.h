// Join operations that record what the engine shows and answer as a test scripts.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "join/JoinOperations.h"
#include "tests/support/FakePrompts.h"

namespace zolvane::test {

class FakeJoinOperations final : public JoinOperations, public FakePrompts {
public:
    std::vector<std::string> pieces;
    std::vector<std::string> outputs;
    std::vector<int> progress;
    std::vector<std::string> commands;
    int eventRounds = 0;
    int releases = 0;
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
    OverwriteAnswer askOverwrite(const std::string& name) override { return ask(name); }
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
        return show(text, caption, icon, buttons);
    }
    void release() override { ++releases; }
};

}  // namespace zolvane::test
