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
    std::vector<std::string> overwriteTargets;
    OverwriteAnswer askOverwrite(const std::string& name, const std::string& outputPath) override {
        overwriteTargets.push_back(outputPath);
        return ask(name);
    }
    bool archiverReady() override { return ready; }
    bool archiverBusy() override { return busy; }
    std::string archiverReport;
    int runArchiver(const std::string& command, std::string& report) override {
        commands.push_back(command);
        if (onArchiver) {
            onArchiver(command);
        }
        report = archiverReport;
        return archiverResult;
    }
    // Archives offered for unpacking, and whether the unpack may go ahead.
    std::vector<std::string> unpackOffers;
    bool unpackAllowed = true;
    bool confirmUnpack(const std::string& archivePath, const std::string&) override {
        unpackOffers.push_back(archivePath);
        return unpackAllowed;
    }
    MessageReply message(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons, const std::string& detail) override {
        return show(text, caption, icon, buttons, detail);
    }
    void release() override { ++releases; }
};

}  // namespace zolvane::test
