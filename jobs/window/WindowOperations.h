// The engines' operations bound to the windows: the main window's choices, the progress
// window of the job, the overwrite prompt and the program's message boxes. The terminal's
// bindings are in cli/.
#pragma once

#include <QElapsedTimer>
#include <QString>

#include "jobs/ArchiverLibrary.h"
#include "join/JoinOperations.h"
#include "split/SplitOperations.h"

class QWidget;
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

// The main window's choices come as they stood when the job started: the disabled window
// cannot change them meanwhile.
class WindowSplitOperations final : public SplitOperations {
public:
    WindowSplitOperations(QWidget& main, TForm2& progress, SizeChoice size,
                          std::int32_t freeSize, std::uint8_t mark)
        : main_(main), progress_(progress), size_(size), freeSize_(freeSize), mark_(mark) {}

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
    QWidget& main_;
    TForm2& progress_;
    SizeChoice size_;
    std::int32_t freeSize_;
    std::uint8_t mark_;
    EventRounds rounds_;
};

class WindowJoinOperations final : public JoinOperations {
public:
    WindowJoinOperations(QWidget& main, TForm3& progress, const ArchiverLibrary& archiver)
        : main_(main), progress_(progress), archiver_(archiver) {}

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
    QWidget& main_;
    TForm3& progress_;
    const ArchiverLibrary& archiver_;
    EventRounds rounds_;
};

// Asks about `name` beside the progress window, which is disabled until a button of the
// prompt releases it; waits for that, handling events, and returns the answer. `toolTip`, if
// any, is shown over the name.
OverwriteAnswer AskOverwrite(QWidget* progressWindow, const QString& name,
                             const QString& toolTip = QString());

}  // namespace zolvane::gui
