#include "jobs/CompressionStep.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <filesystem>
#include <system_error>

#include "jobs/ArchiverLibrary.h"
#include "mainwindow/FileListBox.h"
#include "mainwindow/MessageBoxes.h"
#include "mainwindow/TForm1.h"
#include "platform/MessageKinds.h"

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

QString Detail(const QString& path, int error) {
    return QString::fromStdString(DetailOf(path.toStdString(), error));
}

// The first archive is saved beside the files it packs, later ones where the last one went.
QString StartingFolder(const TForm1& window) {
    if (!window.LastArchive.isEmpty()) {
        const QString folder = QFileInfo(window.LastArchive).absolutePath();
        if (QFileInfo(folder).isDir()) {
            return folder;
        }
    }
    return window.FileListBox1->directory();
}

}  // namespace

QString CompressFiles(TForm1& window, QString& problem) {
    if (window.Archiver.busy()) {
        ShowMessage(QStringLiteral("UNLHA32.DLLが使用中です。\n分割を中止します。"),
                    QStringLiteral("エラー"), MessageIcon::Error, MessageButtons::Ok);
        return {};
    }
    // An archive that is to be split is deleted afterwards: the dialog asks before an
    // existing file is taken, and the archive then starts afresh. Packed alone, files are
    // added to an existing archive, which stays.
    const bool willBeSplit = !window.PressOnlyBox->isChecked();
    window.SavePressFileDialog->setDirectory(StartingFolder(window));
    const QString archive = RunSaveDialog(*window.SavePressFileDialog, willBeSplit);
    if (archive.isEmpty()) {
        return {};
    }
    window.LastArchive = archive;
    if (willBeSplit) {
        std::error_code removal;
        if (QFileInfo(archive).isDir()) {
            removal = std::make_error_code(std::errc::is_a_directory);
        } else {
            std::filesystem::remove(archive.toStdString(), removal);
        }
        if (removal) {
            problem = Detail(archive, removal.value());
            return {};
        }
    }
    // The names are the file list's, so the library looks for them in its folder, whatever
    // folder the dialog was in.
    const QString folder = window.FileListBox1->directory();
    const FolderForPacking packingFolder(folder);
    if (packingFolder.error()) {
        problem = Detail(folder, packingFolder.error().value());
        return {};
    }
    const bool recursive = window.RecursionBox->isChecked();
    const auto add = [&](const QString& nameOrMask) {
        const std::string command =
            AddToArchiveCommand(archive.toStdString(), nameOrMask.toStdString(), recursive);
        std::string report;
        if (window.Archiver.run(command, report, reinterpret_cast<void*>(window.winId())) == 0) {
            return true;
        }
        problem = QString::fromStdString(report).trimmed();
        if (problem.isEmpty()) {
            problem = archive;
        }
        return false;
    };
    bool packed = true;
    const QStringList chosen = window.FileListBox1->selectedNames();
    if (chosen.isEmpty()) {
        packed = add(window.FMaskEdit->text());
    } else {
        for (const QString& name : chosen) {
            if (!add(name)) {
                packed = false;
                break;
            }
        }
    }
    return packed ? archive : QString();
}

}  // namespace zolvane::gui
