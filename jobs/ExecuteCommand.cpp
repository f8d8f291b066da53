// The execute command: one whole job from the main window's choices. A split (perhaps of an
// archive packed first, deleted afterwards), packing alone, or a join, each with its
// progress window beside the main window, which stays disabled until the engine or a cancel
// hands the activation back.
#include <QCheckBox>
#include <QFileInfo>
#include <QRadioButton>
#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include "jobs/CompressionStep.h"
#include "jobs/WindowOperations.h"
#include "join/JoinFile.h"
#include "join/TForm3.h"
#include "join/TOverWriteForm.h"
#include "mainwindow/Activation.h"
#include "mainwindow/DirectoryListBox.h"
#include "mainwindow/FileListBox.h"
#include "mainwindow/MessageBoxes.h"
#include "mainwindow/TForm1.h"
#include "mainwindow/WindowParts.h"
#include "pieces/PathRoutines.h"
#include "split/DivideFile.h"
#include "split/SplitMessages.h"
#include "split/TForm2.h"

namespace {

using zolvane::MessageButtons;
using zolvane::MessageIcon;

QString WithSeparator(QString folder) {
    if (folder.isEmpty() || !folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder;
}

// The name part of a path, as the engines' path routines cut it.
QString NameOf(const QString& path) {
    std::string folder, name;
    zolvane::SplitPath(path.toStdString(), folder, name);
    return QString::fromStdString(name);
}

// The packed archive was only ever a means to the pieces.
void DeleteArchive(const QString& archive) {
    std::error_code error;
    if (!std::filesystem::remove(archive.toStdString(), error)) {
        zolvane::gui::ShowMessage(QStringLiteral("作成したLZHファイルの削除に失敗しました。"),
                                  QStringLiteral("失敗"), MessageIcon::Information,
                                  MessageButtons::Ok, nullptr,
                                  QString::fromStdString(zolvane::DetailOf(
                                      archive.toStdString(), error ? error.value() : ENOENT)));
    }
}

// A progress window of the job: owned by the application, not by the main window, whose
// disabling would disable it too, but kept above the main window, and the job's boxes above
// it.
template <typename Window>
Window* OpenProgressWindow(TForm1& main) {
    auto* window = new Window;
    window->move(main.x() + 32, main.y() + 32);
    zolvane::gui::KeepAbove(window, &main);
    window->show();
    zolvane::gui::DisableWindow(&main);
    zolvane::gui::SetBoxOwner(window);
    return window;
}

// The boxes of a job stay above its windows: the main window, the progress window while that
// is open.
class JobBoxes {
public:
    explicit JobBoxes(QWidget& main) { zolvane::gui::SetBoxOwner(&main); }
    ~JobBoxes() { zolvane::gui::SetBoxOwner(nullptr); }
    JobBoxes(const JobBoxes&) = delete;
    JobBoxes& operator=(const JobBoxes&) = delete;
};

}  // namespace

void TForm1::Button1Click() {
    const JobBoxes boxes(*this);
    if (DivideButton->isChecked()) {
        runSplit();
    }
    if (JoinButton->isChecked()) {
        runJoin();
    }
    if (stopRequested_) {
        close();
    }
}

void TForm1::requestStop() {
    stopRequested_ = true;
    if (OverWriteForm != nullptr) {
        OverWriteForm->Button3Click();  // the prompt's Cancel
    }
    if (!jobRunning_) {
        close();
    }
}

void TForm1::runSplit() {
    QString source;
    if (PressChkBox->isChecked()) {
        QString problem;
        source = zolvane::gui::CompressFiles(*this, problem);
        if (PressOnlyBox->isChecked()) {
            FileListBox1->refresh();
            return;
        }
        if (source.isEmpty()) {
            zolvane::gui::ShowMessage(QStringLiteral("分割に失敗しました"), QStringLiteral("情報"),
                                      MessageIcon::Information, MessageButtons::Ok, nullptr,
                                      problem);
            return;
        }
        ArchiveMade = true;
    } else {
        source = FileListBox1->currentFilePath();
        ArchiveMade = false;
    }
    const QString name = NameOf(source);
    if (name.isEmpty()) {
        zolvane::gui::ShowMessage(QStringLiteral("分割するファイルを指定してください"),
                                  QStringLiteral("エラー"), MessageIcon::Error, MessageButtons::Ok);
        return;
    }
    QString destination;
    if (AutoSizeButton->isChecked()) {
        if (AutoDrive.isEmpty()) {
            AutoDrive = firstDrive();
        }
        // A place on the drive, not on a disk: the engine finds the disk in it before every
        // piece, wherever that disk is mounted.
        destination = WithSeparator(AutoDrive) + name;
        if (!waitForAutoDrive(destination)) {
            if (ArchiveMade) {
                DeleteArchive(source);
            }
            FileListBox1->refresh();
            return;
        }
    } else if (SetDestChk->isChecked()) {
        destination = WithSeparator(SplitDestDir) + name;
    } else {
        // Beside the source: in the file list's folder, or the archive's when one was packed.
        destination = WithSeparator(QFileInfo(source).absolutePath()) + name;
    }
    Form2 = OpenProgressWindow<TForm2>(*this);
    jobRunning_ = true;
    zolvane::gui::WindowSplitOperations operations(*this, *Form2);
    zolvane::DivideFile(source.toStdString(), destination.toStdString(), operations, drives_);
    zolvane::gui::WaitUntilActive(this);
    if (ArchiveMade) {
        DeleteArchive(source);
    }
    zolvane::gui::SetBoxOwner(this);
    delete Form2;
    Form2 = nullptr;
    jobRunning_ = false;
    FileListBox1->refresh();
}

void TForm1::runJoin() {
    const QString source = FileListBox1->currentFilePath();
    if (NameOf(source).isEmpty()) {
        zolvane::gui::ShowMessage(QStringLiteral("結合するファイルを指定してください"),
                                  QStringLiteral("エラー"), MessageIcon::Error, MessageButtons::Ok);
        return;
    }
    const QString folder =
        WithSeparator(SetDestChk->isChecked() ? JoinDestDir : SrcDirectoryListBox->directory());
    Form3 = OpenProgressWindow<TForm3>(*this);
    jobRunning_ = true;
    zolvane::gui::WindowJoinOperations operations(*this, *Form3);
    zolvane::JoinFile(source.toStdString(), folder.toStdString(), operations, drives_);
    zolvane::gui::WaitUntilActive(this);
    zolvane::gui::SetBoxOwner(this);
    delete Form3;
    Form3 = nullptr;
    jobRunning_ = false;
    FileListBox1->refresh();
}

// Removable drives are listed first, so the system's disk is taken only on a machine without
// any.
QString TForm1::firstDrive() const {
    const std::vector<std::string> names = drives_.listDrives();
    return names.empty() ? QStringLiteral("/") : QString::fromStdString(names.front());
}

// A drive whose device is unplugged names no place the system can find: its path would lie on
// whatever disk holds that bare path. The disk is asked for until the drive is back.
bool TForm1::waitForAutoDrive(const QString& destination) {
    for (;;) {
        const zolvane::platform::DrivePlace place = drives_.placeOf(destination.toStdString());
        if (place.removable || QString::fromStdString(place.drive) == AutoDrive) {
            return true;
        }
        const zolvane::MessageBoxSpec& ask = zolvane::split_messages::kInsertDisk;
        const zolvane::MessageReply reply =
            zolvane::gui::ShowMessage(QString::fromUtf8(ask.text), QString::fromUtf8(ask.caption),
                                      ask.icon, ask.buttons, this);
        if (reply == zolvane::MessageReply::Cancel) {
            return false;
        }
    }
}
