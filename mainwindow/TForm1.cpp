// The main window's handlers: the mode switch, the drive, folder and file lists, the
// compression options, the execute button and the way out. The layout is in TForm1Layout.cpp.
#include "mainwindow/TForm1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextDocument>
#include <QToolTip>

#include "jobs/window/ExecuteCommand.h"
#include "join/window/TOverWriteForm.h"
#include "mainwindow/DirectoryListBox.h"
#include "mainwindow/DriveComboBox.h"
#include "mainwindow/FileListBox.h"
#include "window/AppIcon.h"
#include "window/MessageBoxes.h"
#include "window/PageControl.h"
#include "window/WindowParts.h"

TForm1* MainWindow = nullptr;

namespace {

using zolvane::gui::DirectoryListBox;
using zolvane::gui::DriveComboBox;
using zolvane::gui::FileListBox;

}  // namespace

TForm1::TForm1(zolvane::platform::DriveQueries& drives, std::vector<std::string> archiverFolders)
    : drives_(drives), archiverFolders_(std::move(archiverFolders)) {
    MainWindow = this;
    layOut();
    nameAndOrder();
    // The lists start in the process's current folder, on its drive, as laid out: no
    // handler runs for that.
    const QString here = QDir::currentPath();
    const zolvane::platform::DrivePlace herePlace = drives_.placeOf(here.toStdString());
    for (DriveComboBox* list : {DriveComboBox1, DestDriveComboBox}) {
        list->keepDrive(QString::fromStdString(herePlace.drive));
    }
    SrcDirectoryListBox->setDirectory(here);
    FileListBox1->setDirectory(here);
    DestDirectoryListBox->setDirectory(here);
    rememberFolder(here);
    // Standing on a removable drive would keep its disk from being unmounted.
    if (herePlace.removable) {
        QDir::setCurrent(QDir::homePath());
    }
    connectHandlers();
    watchMouse();
    // Automatic sizing starts on the first drive of the list: removable drives come first.
    const QStringList names = AutoDriveComboBox->drives();
    if (!names.isEmpty()) {
        AutoDriveComboBox->setDrive(names.front());
    }
    FormCreate();
}

TForm1::~TForm1() {
    if (MainWindow == this) {
        MainWindow = nullptr;
    }
}

// the mode entered gets its own back, and the captions and the file list's mask follow.
void TForm1::enterMode(const ModeFace& face, bool& leftChecked, QString& leftFolder,
                       bool enteredChecked, QString& enteredFolder, bool skipRemembered) {
    leftChecked = SetDestChk->isChecked();
    leftFolder = DestDirectoryListBox->directory();
    SetDestChk->setChecked(enteredChecked);
    if (SetDestChk->isChecked()) {
        showRememberedDestination(enteredFolder, skipRemembered);
    }
    FileListBox1->setMask(QString::fromUtf8(face.mask));
    Button1->setToolTip(QString::fromUtf8(face.executeTip));
    SetDestChk->setText(QString::fromUtf8(face.destinationBox));
    SetDestChk->setChecked(enteredChecked);
    DestDirectoryListBox->setEnabled(SetDestChk->isChecked());
    PageControl1->setTabText(PageControl1->indexOf(SetSrc), QString::fromUtf8(face.sourcePage));
    PageControl1->setTabText(PageControl1->indexOf(SetDest),
                             QString::fromUtf8(face.destinationPage));
}

void TForm1::DivideButtonClick() {
    enterMode({"*.*", "分割します", "分割先を指定", "分割元の選択", "分割先の選択"},
              JoinDestChecked, JoinDestDir, SplitDestChecked, SplitDestDir, true);

    // The group's caption takes the window-text colour with its page enabled again.
    SetOption->setEnabled(true);
    for (QRadioButton* size : {SizeButton1, SizeButton2, SizeButton3, SizeButton4, SizeButton5}) {
        size->setEnabled(true);
    }
    if (SizeButton3->isChecked()) {
        SetFreeSize->setEnabled(true);
        Label3->setEnabled(true);
    }
    AutoSizeButton->setEnabled(true);
    if (AutoSizeButton->isChecked()) {
        Label5->setEnabled(true);
        AutoDriveComboBox->setEnabled(true);
    }
    PressChkBox->setEnabled(true);
    if (PressChkBox->isChecked()) {
        RecursionBox->setEnabled(true);
        PressOnlyBox->setEnabled(true);
    }
    if (!ArchiverReady) {
        for (QCheckBox* box : {PressChkBox, RecursionBox, PressOnlyBox}) {
            box->setEnabled(false);
            box->setChecked(false);
        }
    }
}

void TForm1::JoinButtonClick() {
    // Only first pieces are listed; the mask edit keeps the user's text.
    enterMode({"*.000", "結合します", "結合先を指定", "結合元の選択", "結合先の選択"},
              SplitDestChecked, SplitDestDir, JoinDestChecked, JoinDestDir, false);

    // The choices stay as they are, only out of reach; the group's caption turns grey with
    // its page.
    SetOption->setEnabled(false);
    for (QWidget* control :
         std::initializer_list<QWidget*>{SizeButton1, SizeButton2, SizeButton3, SizeButton4,
                                         SizeButton5, SetFreeSize, Label3, AutoSizeButton, Label5,
                                         AutoDriveComboBox, PressChkBox, RecursionBox,
                                         PressOnlyBox}) {
        control->setEnabled(false);
    }
}

// Shows a mode's remembered destination: on its drive when that drive is ready, else on the
// first ready drive, whose medium's root then becomes the remembered folder. The folder opened
// is the one remembered before the drive list moved (its change events pass through the
// folder).
void TForm1::showRememberedDestination(QString& remembered, bool skipRemembered) {
    QString folder = remembered;
    const QString drive = QString::fromStdString(drives_.driveOf(folder.toStdString()));
    if (!drives_.medium(drive.toStdString()).root.empty()) {
        DestDriveComboBox->keepDrive(drive);
    } else {
        bool found = false;
        for (const QString& name : DestDriveComboBox->drives()) {
            if (skipRemembered && name == drive) {
                continue;
            }
            const std::string root = drives_.medium(name.toStdString()).root;
            if (root.empty()) {
                continue;
            }
            DestDriveComboBox->setDrive(name);
            folder = QString::fromStdString(root);
            found = true;
            break;
        }
        if (!found) {
            return;  // no drive is ready: the list stays where it is
        }
    }
    // A folder that is gone opens the nearest one above it that is still there.
    for (QDir candidate(folder);;) {
        if (DestDirectoryListBox->setDirectory(candidate.absolutePath()) || !candidate.cdUp()) {
            break;
        }
    }
    remembered = DestDirectoryListBox->directory();
}

void TForm1::DriveComboBox1Click() {
    LastDrive = DriveComboBox1->drive();
}

void TForm1::DriveComboBox1Change() {
    checkDrive(DriveComboBox1, SrcDirectoryListBox);
}

void TForm1::DestDriveComboBoxClick() {
    LastDrive = DestDriveComboBox->drive();
}

void TForm1::DestDriveComboBoxChange() {
    checkDrive(DestDriveComboBox, DestDirectoryListBox);
}

// Only a ready drive moves its folder list; Cancel puts the list back on the drive it showed
// before, which is checked again in turn.
void TForm1::checkDrive(DriveComboBox* list, DirectoryListBox* folders) {
    for (;;) {
        const QString drive = list->drive();
        const zolvane::platform::Medium now = drives_.medium(drive.toStdString());
        if (!now.root.empty()) {
            list->refreshTexts();  // the readiness test may have mounted the disk just now
            folders->setDirectory(folderOnDrive(drive, QString::fromStdString(now.root)));
            return;
        }
        const zolvane::MessageReply reply = zolvane::gui::ShowMessage(
            QString::fromStdString(drives_.describe(drive.toStdString())) +
                QStringLiteral(" ドライブの準備ができていません。"),
            QStringLiteral("エラー"), zolvane::MessageIcon::Warning,
            zolvane::MessageButtons::RetryCancel, this);
        if (reply == zolvane::MessageReply::Cancel) {
            if (!LastDrive.isEmpty() && LastDrive != drive) {
                list->setDrive(LastDrive);
            }
            return;
        }
    }
}

// A folder list may leave its drive (up from a disk's folder to the system disk): the drive
// list shows where it went, without checking that drive or moving the folder list back.
void TForm1::followFolder(DriveComboBox* list, DirectoryListBox* folders) {
    list->followDrive(QString::fromStdString(drives_.driveOf(folders->directory().toStdString())));
}

// A drive opens where a list last left it, as a drive's current folder does (on a removable
// drive, that folder on whatever disk is in it now), else at the root of its medium.
QString TForm1::folderOnDrive(const QString& drive, const QString& root) {
    const auto remembered = folderOfDrive_.constFind(drive);
    if (remembered != folderOfDrive_.cend()) {
        const auto there = drives_.pathOn(*remembered);
        if (there && QFileInfo(QString::fromStdString(*there)).isDir()) {
            return QString::fromStdString(*there);
        }
    }
    return root;
}

void TForm1::rememberFolder(const QString& folder) {
    const zolvane::platform::DrivePlace place = drives_.placeOf(folder.toStdString());
    folderOfDrive_[QString::fromStdString(place.drive)] = place;
}

void TForm1::SetDestChkClick() {
    const bool checked = SetDestChk->isChecked();
    DestDirectoryListBox->setEnabled(checked);
    DestDriveComboBox->setEnabled(checked);
}

// One click opens a folder here; the source list keeps the double click.
void TForm1::DestDirectoryListBoxClick() {
    DestDirectoryListBox->openSelected();
}

void TForm1::DestDirectoryListBoxChange() {
    DestDirectoryListBox->openSelected();
    rememberFolder(DestDirectoryListBox->directory());
    followFolder(DestDriveComboBox, DestDirectoryListBox);
    (DivideButton->isChecked() ? SplitDestDir : JoinDestDir) = DestDirectoryListBox->directory();
}

void TForm1::FMaskEditChange() {
    FileListBox1->setMask(FMaskEdit->text());
}

void TForm1::PressChkBoxClick() {
    const bool checked = PressChkBox->isChecked();
    RecursionBox->setEnabled(checked);
    PressOnlyBox->setEnabled(checked);
    FileListBox1->setMultiSelect(checked);
    SaveSetting->setEnabled(true);
}

void TForm1::RecursionBoxClick() {
    SaveSetting->setEnabled(true);
}

// Ends the program without the close handler: the position is written here already.
void TForm1::ExitButtonClick() {
    writePosition();
    releaseArchiver();
    ended_ = true;
    QCoreApplication::exit(0);
}

void TForm1::FormClose() {
    if (ended_) {
        return;
    }
    writePosition();
    releaseArchiver();
    ended_ = true;
}

// The window stays while a job runs inside it: its engine still holds files open.
void TForm1::closeEvent(QCloseEvent* event) {
    if (jobRunning_) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TForm1::FormCreate() {
    loadPosition();
    loadSettings();
    SaveSetting->setEnabled(false);
    loadArchiver();
}

void TForm1::loadArchiver() {
    Archiver.Load(archiverFolders_);
    if (!ArchiverReady) {
        for (QCheckBox* box : {PressChkBox, RecursionBox, PressOnlyBox}) {
            box->setEnabled(false);
            box->setChecked(false);
        }
    }
}

void TForm1::releaseArchiver() {
    Archiver.Release();
}

// --- The execute button ---

namespace {

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
    zolvane::gui::SplitJob job;
    job.source = FileListBox1->currentFilePath().toStdString();
    job.placement.automatic = AutoSizeButton->isChecked();
    if (job.placement.automatic && AutoDrive.isEmpty()) {
        AutoDrive = firstDrive();
    }
    job.placement.drive = AutoDrive.toStdString();
    job.placement.folderChosen = SetDestChk->isChecked();
    job.placement.folder = SplitDestDir.toStdString();
    // Beside the source: in the file list's folder (the archive's when one is packed).
    job.placement.beside = QFileInfo(FileListBox1->currentFilePath()).absolutePath().toStdString();
    job.size = sizeChoice();
    job.freeSize = PieceSize;
    job.pack = PressChkBox->isChecked();
    job.packOnly = PressOnlyBox->isChecked();
    job.recursive = RecursionBox->isChecked();
    job.folder = FileListBox1->directory().toStdString();
    for (const QString& name : FileListBox1->selectedNames()) {
        job.names.push_back(name.toStdString());
    }
    job.mask = FMaskEdit->text().toStdString();
    zolvane::gui::JobTools tools{Archiver, drives_, *SavePressFileDialog, LastArchive};
    jobRunning_ = true;
    ArchiveMade = zolvane::gui::ExecuteSplit(*this, job, tools);
    jobRunning_ = false;
    FileListBox1->refresh();
}

void TForm1::runJoin() {
    const std::string destination = zolvane::JoinDestination(
        SetDestChk->isChecked(), JoinDestDir.toStdString(),
        SrcDirectoryListBox->directory().toStdString());
    zolvane::gui::JobTools tools{Archiver, drives_, *SavePressFileDialog, LastArchive};
    jobRunning_ = true;
    zolvane::gui::ExecuteJoin(*this, FileListBox1->currentFilePath().toStdString(), destination,
                              tools);
    jobRunning_ = false;
    FileListBox1->refresh();
}

// Removable drives are listed first, so the system's disk is taken only on a machine without
// any.
QString TForm1::firstDrive() const {
    const std::vector<std::string> names = drives_.listDrives();
    return names.empty() ? QStringLiteral("/") : QString::fromStdString(names.front());
}
