// The main window: the user's choices of mode, source, destination, piece size and
// compression, the mode switch, settings, the mini-help and the help page.
#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jobs/ArchiverLibrary.h"
#include "platform/Drives.h"
#include "split/SplitOperations.h"

class QCheckBox;
class QFileDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace zolvane::gui {
class DirectoryListBox;
class DriveComboBox;
class FileListBox;
}  // namespace zolvane::gui

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // Lays out the window, gives the members their starting values and runs FormCreate.
    // The archiver library is looked for in `archiverFolders`, then the system's path.
    explicit TForm1(zolvane::platform::DriveQueries& drives = zolvane::platform::SystemDrives(),
                    std::vector<std::string> archiverFolders =
                        zolvane::ArchiverLibrary::DefaultFolders());
    ~TForm1() override;

    // Controls, named as the layout names them.
    QPushButton* Button1;
    QPushButton* HelpButton;
    QGroupBox* GroupBox1;
    QRadioButton* DivideButton;
    QRadioButton* JoinButton;
    QPlainTextEdit* MiniHelp;
    QPushButton* ExitButton;
    QTabWidget* PageControl1;
    QWidget* SetSrc;
    zolvane::gui::DirectoryListBox* SrcDirectoryListBox;
    zolvane::gui::FileListBox* FileListBox1;
    zolvane::gui::DriveComboBox* DriveComboBox1;
    QLineEdit* FMaskEdit;
    QWidget* SetDest;
    QCheckBox* SetDestChk;
    zolvane::gui::DirectoryListBox* DestDirectoryListBox;
    zolvane::gui::DriveComboBox* DestDriveComboBox;
    QWidget* SetOption;
    QGroupBox* GroupBox3;
    QRadioButton* SizeButton1;
    QRadioButton* SizeButton2;
    QRadioButton* SizeButton3;
    QLineEdit* SetFreeSize;
    QLabel* Label3;
    QRadioButton* AutoSizeButton;
    QLabel* Label5;
    zolvane::gui::DriveComboBox* AutoDriveComboBox;
    QRadioButton* SizeButton4;
    QRadioButton* SizeButton5;
    QCheckBox* PressChkBox;
    QCheckBox* RecursionBox;
    QCheckBox* PressOnlyBox;
    QPushButton* SaveSetting;
    QWidget* About;
    QFrame* Bevel1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label4;
    // The save dialog of the compression step; it remembers the last name chosen.
    QFileDialog* SavePressFileDialog;

    // The archiver library and its entries; ArchiverReady when both were found.
    zolvane::ArchiverLibrary Archiver;
    std::unique_ptr<zolvane::platform::SharedLibrary>& ArchiverModule = Archiver.ArchiverModule;
    UnlhaGetRunningFunction& UnlhaGetRunningProc = Archiver.UnlhaGetRunningProc;
    UnlhaFunction& UnlhaProc = Archiver.UnlhaProc;
    bool& ArchiverReady = Archiver.ArchiverReady;

    // The free piece size in bytes, used while SizeButton3 is chosen.
    std::int32_t PieceSize = 1024000;
    // Destination folders and check box states, one pair per mode.
    QString SplitDestDir;
    QString JoinDestDir;
    bool SplitDestChecked = false;
    bool JoinDestChecked = false;
    // The name of the automatic-sizing drive (a removable drive's device); empty until that
    // list first changes.
    QString AutoDrive;
    // The drive a drive list showed before the user's latest pick; both lists share it.
    QString LastDrive;
    // Whether the running split works on an archive the compression step made.
    bool ArchiveMade = false;
    // The archive last named in the compression step's save dialog, which opens in its folder.
    QString LastArchive;

    // Handlers of the controls.
    void Button1Click();
    // The program is asked to stop (a logout, a kill): a job in progress is cancelled as
    // the user's Cancel would, and the window closes once no job runs.
    void requestStop();
    void DivideButtonClick();
    void JoinButtonClick();
    void DriveComboBox1Click();
    void DriveComboBox1Change();
    void DestDriveComboBoxClick();
    void DestDriveComboBoxChange();
    void SetDestChkClick();
    void DestDirectoryListBoxClick();
    void DestDirectoryListBoxChange();
    void FMaskEditChange();
    void PressChkBoxClick();
    void RecursionBoxClick();
    void ExitButtonClick();
    void FormClose();
    void FormCreate();

    // Piece sizes.
    void SizeButton1Click();
    void SizeButton3Click();
    void SetFreeSizeChange();
    void AutoSizeButtonClick();
    void AutoDriveComboBoxChange();

    // Settings.
    void SaveSettingClick();

    // Mini-help and help page.
    void HelpButtonClick();
    QStringList HelpFolders() const;
    void Button1MouseMove();
    void HelpButtonMouseMove();
    void ExitButtonMouseMove();
    void DivideButtonMouseMove();
    void JoinButtonMouseMove();
    void GroupBox1MouseMove();
    void MiniHelpMouseMove();
    void FormMouseMove();
    void SetSrcMouseMove();
    void SetDestMouseMove();
    void SetOptionMouseMove();
    void GroupBox3MouseMove();
    void SizeButton1MouseMove();
    void SizeButton2MouseMove();
    void SizeButton3MouseMove();
    void SizeButton4MouseMove();
    void SizeButton5MouseMove();
    void AutoSizeButtonMouseMove();
    void PressChkBoxMouseMove();
    void RecursionBoxMouseMove();
    void PressOnlyBoxMouseMove();
    void SaveSettingMouseMove();
    void AboutMouseMove();

    // The pointer moved over `widget`, the innermost widget under it: the control that
    // holds it answers, or the nearest enabled control that holds a disabled one.
    void MouseMovedOver(QWidget* widget);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layOut();
    void layOutSource();
    void layOutDestination();
    void layOutOptions();
    void layOutAbout();
    void nameAndOrder();
    void connectHandlers();
    void watchMouse();

    // The mode switch's shared steps.
    struct ModeFace {
        const char* mask;
        const char* executeTip;
        const char* destinationBox;
        const char* sourcePage;
        const char* destinationPage;
    };
    void enterMode(const ModeFace& face, bool& leftChecked, QString& leftFolder,
                   bool enteredChecked, QString& enteredFolder, bool skipRemembered);
    void showRememberedDestination(QString& remembered, bool skipRemembered);
    void checkDrive(zolvane::gui::DriveComboBox* list, zolvane::gui::DirectoryListBox* folders);
    void followFolder(zolvane::gui::DriveComboBox* list, zolvane::gui::DirectoryListBox* folders);
    QString folderOnDrive(const QString& drive, const QString& root);
    void rememberFolder(const QString& folder);
    bool setFreeSizeFromText();

    // The execute command's two branches, with this window's choices.
    void runSplit();
    void runJoin();
    QString firstDrive() const;
    // The checked size button, in the order the split engine tests them.
    zolvane::SizeChoice sizeChoice() const;

    // Settings.
    void loadPosition();
    void loadSettings();
    void writePosition();
    void loadArchiver();
    void releaseArchiver();

    zolvane::platform::DriveQueries& drives_;
    std::vector<std::string> archiverFolders_;
    // Where each drive showed a folder last, as a drive's current folder; on a removable
    // drive, relative to its medium.
    QMap<QString, zolvane::platform::DrivePlace> folderOfDrive_;
    QMap<QWidget*, void (TForm1::*)()> mouseMoveHandlers_;
    QSet<QWidget*> layoutControls_;
    bool ended_ = false;       // the position is written and the library released once
    bool jobRunning_ = false;  // a job's engine is running inside Button1Click
    bool stopRequested_ = false;
};

// The main window, from its creation to the end of the program.
extern TForm1* MainWindow;
