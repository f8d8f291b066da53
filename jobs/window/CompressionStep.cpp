#include "jobs/window/CompressionStep.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>
#include <filesystem>
#include <system_error>

#include "jobs/JobMessages.h"
#include "platform/Console.h"
#include "platform/MessageKinds.h"
#include "window/MessageBoxes.h"

namespace zolvane::gui {

namespace {

// The library takes names relative to the current folder, so the file list's folder is
// current while it packs, and only then: a process standing in a folder of a removable disk
// keeps that disk from being unmounted. The folder before is a neutral one (the program never
// stands on a removable drive); the home folder when it has gone.
class FolderForPacking {
public:
    explicit FolderForPacking(const QString& folder) : before_(QDir::currentPath()) {
        std::filesystem::current_path(folder.toStdString(), error_);
    }
    ~FolderForPacking() {
        if (!QDir::setCurrent(before_)) {
            QDir::setCurrent(QDir::homePath());
        }
    }
    FolderForPacking(const FolderForPacking&) = delete;
    FolderForPacking& operator=(const FolderForPacking&) = delete;

    // Set when the folder could not be entered: a mask would match files elsewhere then.
    const std::error_code& error() const { return error_; }

private:
    QString before_;
    std::error_code error_;
};

// The first archive is saved beside the files it packs, later ones where the last one went.
QString StartingFolder(const SplitJob& job, const JobTools& tools) {
    if (!tools.lastArchive.isEmpty()) {
        const QString folder = QFileInfo(tools.lastArchive).absolutePath();
        if (QFileInfo(folder).isDir()) {
            return folder;
        }
    }
    return QString::fromStdString(job.folder);
}

// The window shows no item as it goes; a failure is told once packing has stopped, with the
// library's report.
class WindowPacking final : public PackOperations {
public:
    WindowPacking(const QString& archive, std::string& problem)
        : archive_(archive.toStdString()), problem_(problem) {}

    void showItem(const std::string&) override {}
    void warnUnmatched(const std::string&) override {}
    void itemFailed(const std::string&, const std::string& report) override {
        problem_ = QString::fromStdString(report).trimmed().toStdString();
        if (problem_.empty()) {
            problem_ = archive_;
        }
    }
    bool cancelRequested() override { return platform::Interrupted(); }
    MessageReply message(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons, const std::string& detail) override {
        return ShowMessage(text, caption, icon, buttons, detail);
    }

private:
    std::string archive_;
    std::string& problem_;
};

}  // namespace

QString ChooseArchive(const SplitJob& job, JobTools& tools) {
    if (tools.archiver.busy()) {
        ShowMessage(job_messages::kArchiverBusyForSplit);
        return {};
    }
    tools.saveDialog.setDirectory(StartingFolder(job, tools));
    const QString archive = RunSaveDialog(tools.saveDialog, false);
    if (archive.isEmpty()) {
        return {};
    }
    tools.lastArchive = archive;
    // Packed alone, files are added to an existing archive, which stays. An archive to be
    // split is deleted afterwards: it never takes over a file that was there.
    if (!job.packOnly && QFileInfo::exists(archive)) {
        ShowMessage(job_messages::kArchiveExists, archive.toStdString());
        return {};
    }
    return archive;
}

PackOutcome PackChosenFiles(QWidget& main, const SplitJob& job, const QString& archive,
                            JobTools& tools, std::string& problem) {
    // The names are the file list's, so the library looks for them in its folder, whatever
    // folder the dialog was in.
    const FolderForPacking packingFolder(QString::fromStdString(job.folder));
    if (packingFolder.error()) {
        problem = DetailOf(job.folder, packingFolder.error().value());
        return PackOutcome::Failed;
    }
    WindowPacking packing(archive, problem);
    const std::vector<std::string> items =
        job.names.empty() ? std::vector<std::string>{job.mask} : job.names;
    return PackFiles(tools.archiver, archive.toStdString(), items, job.recursive,
                     job_messages::kArchiverBusyForSplit, packing,
                     reinterpret_cast<void*>(main.winId()));
}

}  // namespace zolvane::gui
