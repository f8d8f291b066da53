#include "jobs/CompressionStep.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

#include "jobs/ArchiverLibrary.h"
#include "mainwindow/FileListBox.h"
#include "mainwindow/MessageBoxes.h"
#include "mainwindow/TForm1.h"

namespace zolvane::gui {

namespace {

// The library takes names relative to the current folder, so the file list's folder is
// current while it packs, and only then: a process standing in a folder of a removable disk
// keeps that disk from being unmounted. The folder before is a neutral one (the program never
// stands on a removable drive); the home folder when it has gone.
class FolderForPacking {
public:
    explicit FolderForPacking(const QString& folder)
        : before_(QDir::currentPath()), entered_(QDir::setCurrent(folder)) {}
    ~FolderForPacking() {
        if (!QDir::setCurrent(before_)) {
            QDir::setCurrent(QDir::homePath());
        }
    }
    FolderForPacking(const FolderForPacking&) = delete;
    FolderForPacking& operator=(const FolderForPacking&) = delete;

    // False when the folder could not be entered: a mask would match files elsewhere then.
    bool entered() const { return entered_; }

private:
    QString before_;
    bool entered_;
};

}  // namespace

QString CompressFiles(TForm1& window) {
    if (window.Archiver.busy()) {
        ShowMessage(QStringLiteral("UNLHA32.DLLが使用中です。\n分割を中止します。"),
                    QStringLiteral("エラー"), MessageIcon::Error, MessageButtons::Ok);
        return {};
    }
    // An archive that is to be split is deleted afterwards: the dialog asks before an
    // existing file is taken, and the archive then starts afresh. Packed alone, files are
    // added to an existing archive, which stays.
    const bool willBeSplit = !window.PressOnlyBox->isChecked();
    const QString archive = RunSaveDialog(*window.SavePressFileDialog, willBeSplit);
    if (archive.isEmpty()) {
        return {};
    }
    if (willBeSplit && QFileInfo::exists(archive) && !QFile::remove(archive)) {
        return {};
    }
    // The names are the file list's, so the library looks for them in its folder, whatever
    // folder the dialog was in.
    const FolderForPacking packingFolder(window.FileListBox1->directory());
    if (!packingFolder.entered()) {
        return {};
    }
    const bool recursive = window.RecursionBox->isChecked();
    const auto add = [&](const QString& nameOrMask) {
        const std::string command =
            AddToArchiveCommand(archive.toStdString(), nameOrMask.toStdString(), recursive);
        return window.Archiver.run(command, reinterpret_cast<void*>(window.winId())) == 0;
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
