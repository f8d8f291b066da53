// The execute command: a split (perhaps of an archive packed first, deleted afterwards),
// packing alone, or a join, each with its progress window beside the main window.
#include "jobs/window/ExecuteCommand.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>
#include <filesystem>

#include "jobs/JobMessages.h"
#include "jobs/Packing.h"
#include "jobs/window/CompressionStep.h"
#include "jobs/window/WindowOperations.h"
#include "join/JoinFile.h"
#include "join/window/TForm3.h"
#include "pieces/PathRoutines.h"
#include "split/DivideFile.h"
#include "split/SplitMessages.h"
#include "split/window/TForm2.h"
#include "window/Activation.h"
#include "window/MessageBoxes.h"
#include "window/WindowParts.h"

namespace zolvane::gui {
namespace {

// The name part of a path, as the engines' path routines cut it.
std::string NameOf(const std::string& path) {
    std::string folder, name;
    SplitPath(path, folder, name);
    return name;
}

// A progress window of the job: owned by the application, not by the main window, whose
// disabling would disable it too, but kept above the main window, and the job's boxes above
// it.
template <typename Window>
Window* OpenProgressWindow(QWidget& main) {
    auto* window = new Window(&main);
    window->move(main.x() + 32, main.y() + 32);
    KeepAbove(window, &main);
    window->show();
    DisableWindow(&main);
    SetBoxOwner(window);
    return window;
}

// A drive whose device is unplugged names no place the system can find: its path would lie
// on whatever disk holds that bare path. The disk is asked for until the drive is back.
bool WaitForDrive(QWidget& main, platform::DriveQueries& drives, const std::string& drive,
                  const std::string& destination) {
    for (;;) {
        const platform::DrivePlace place = drives.placeOf(destination);
        if (place.removable || place.drive == drive) {
            return true;
        }
        if (ShowMessage(split_messages::kInsertDisk, {}, &main) == MessageReply::Cancel) {
            return false;
        }
    }
}

// One split of `source`, whose pieces go where the placement says.
int Split(QWidget& main, const SplitJob& job, SplitPlacement placement, const std::string& source,
          std::uint8_t mark, JobTools& tools) {
    const std::string destination = SplitDestination(placement, NameOf(source));
    if (placement.automatic && !WaitForDrive(main, tools.drives, placement.drive, destination)) {
        return -1;
    }
    Form2 = OpenProgressWindow<TForm2>(main);
    WindowSplitOperations operations(main, *Form2, job.size, job.freeSize, mark);
    const int result = DivideFile(source, destination, operations, tools.drives);
    WaitUntilActive(&main);
    SetBoxOwner(&main);
    delete Form2;
    Form2 = nullptr;
    return result;
}

// The packed split in the window: the chosen files packed into the archive the dialog named,
// the archive split beside itself (or wherever the placement says) and deleted.
class WindowPackedSplit final : public PackedSplitOperations {
public:
    WindowPackedSplit(QWidget& main, const SplitJob& job, JobTools& tools)
        : main_(main), job_(job), tools_(tools) {}

    PackOutcome pack(const std::string& archive, std::string& problem) override {
        return PackChosenFiles(main_, job_, QString::fromStdString(archive), tools_, problem);
    }
    int split(const std::string& archive) override {
        SplitPlacement placement = job_.placement;
        placement.beside = QFileInfo(QString::fromStdString(archive)).absolutePath().toStdString();
        return Split(main_, job_, placement, archive, 1, tools_);
    }
    MessageReply message(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons, const std::string& detail) override {
        return ShowMessage(text, caption, icon, buttons, detail);
    }

private:
    QWidget& main_;
    const SplitJob& job_;
    JobTools& tools_;
};

}  // namespace

bool ExecuteSplit(QWidget& main, const SplitJob& job, JobTools& tools) {
    if (!job.pack) {
        if (NameOf(job.source).empty()) {
            ShowMessage(job_messages::kNoFileToSplit);
            return false;
        }
        Split(main, job, job.placement, job.source, 0, tools);
        return false;
    }
    const QString archive = ChooseArchive(job, tools);
    if (job.packOnly) {
        std::string problem;
        if (!archive.isEmpty()) {
            PackChosenFiles(main, job, archive, tools, problem);
        }
        return false;
    }
    if (archive.isEmpty()) {
        ShowMessage(job_messages::kSplitFailed);
        return false;
    }
    WindowPackedSplit packedSplit(main, job, tools);
    PackedSplit(archive.toStdString(), packedSplit);
    return true;
}

void ExecuteJoin(QWidget& main, const std::string& piece, const std::string& destination,
                 JobTools& tools) {
    if (NameOf(piece).empty()) {
        ShowMessage(job_messages::kNoFileToJoin);
        return;
    }
    Form3 = OpenProgressWindow<TForm3>(main);
    WindowJoinOperations operations(main, *Form3, tools.archiver);
    JoinFile(piece, destination, operations, tools.drives);
    WaitUntilActive(&main);
    SetBoxOwner(&main);
    delete Form3;
    Form3 = nullptr;
}

}  // namespace zolvane::gui
