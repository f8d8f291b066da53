// Split operations that record what the engine shows and answer as a test scripts.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "split/SplitOperations.h"
#include "tests/support/FakePrompts.h"

namespace zolvane::test {

class FakeSplitOperations final : public SplitOperations, public FakePrompts {
public:
    SizeChoice choice = SizeChoice::Floppy1440K;
    std::int32_t freeSize = 0;
    std::uint8_t mark = 0;

    std::vector<std::string> sources;
    std::vector<std::string> pieces;
    std::vector<int> progress;
    int eventRounds = 0;
    int releases = 0;

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
    OverwriteAnswer askOverwrite(const std::string& path) override { return ask(path); }
    MessageReply message(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons, const std::string& detail) override {
        return show(text, caption, icon, buttons, detail);
    }
    void release() override { ++releases; }
};

}  // namespace zolvane::test
