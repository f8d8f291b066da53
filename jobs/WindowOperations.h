// The engines' operations bound to the windows: the main window's choices, the progress
// window of the job, the overwrite prompt and the program's message boxes. The terminal's
// bindings are in cli/.
#pragma once

#include <QElapsedTimer>

#include "join/JoinOperations.h"
#include "split/SplitOperations.h"

class TForm1;
class TForm2;
class TForm3;

namespace zolvane::gui {

// A round of the application's pending events after a block, but at most one every few
// milliseconds: after every block of a slow disk, not thousands a second on a fast one,
// where the poll each round costs would slow the job by a third. The first block gets its
// round at once.
class EventRounds {
public:
    void run();

private:
    static constexpr qint64 kIntervalMs = 5;
    QElapsedTimer sinceLast_;
};

class WindowSplitOperations final : public SplitOperations {
public:
    WindowSplitOperations(TForm1& main, TForm2& progress) : main_(main), progress_(progress) {}

    SizeChoice sizeChoice() override;
    std::int32_t pieceSize() override;
    std::uint8_t archiveMark() override;
    void showSource(const std::string& path) override;
    void showPiece(const std::string& path) override;
    void showProgress(int percent) override;
    void processEvents() override;
    bool cancelRequested() override;
    OverwriteAnswer askOverwrite(const std::string& piecePath) override;
    MessageReply message(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons, const std::string& detail) override;
    void release() override;

private:
    TForm1& main_;
    TForm2& progress_;
    EventRounds rounds_;
};

class WindowJoinOperations final : public JoinOperations {
public:
    WindowJoinOperations(TForm1& main, TForm3& progress) : main_(main), progress_(progress) {}

    void showPiece(const std::string& path) override;
    void showOutput(const std::string& path) override;
    void showProgress(int percent) override;
    void processEvents() override;
    bool cancelRequested() override;
    OverwriteAnswer askOverwrite(const std::string& recordedName,
                                 const std::string& outputPath) override;
    bool archiverReady() override;
    bool archiverBusy() override;
    int runArchiver(const std::string& command, std::string& report) override;
    bool confirmUnpack(const std::string& archivePath,
                       const std::string& destinationFolder) override;
    MessageReply message(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons, const std::string& detail) override;
    void release() override;

private:
    TForm1& main_;
    TForm3& progress_;
    EventRounds rounds_;
};

}  // namespace zolvane::gui
