// The main window's layout, the mode switch, the drive, folder and file lists, the
// compression options and the way out.
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

using zolvane::gui::SetFontPixels;
using zolvane::gui::SetTextColour;

template <typename Control>
Control* Make(QWidget* parent, const char* name, int left, int top, int width, int height) {
    return zolvane::gui::MakeControl<Control>(parent, name, left, top, width, height);
}

template <typename Control>
Control* Make(QWidget* parent, const char* name, int left, int top, int width, int height,
              const char* caption) {
    auto* control = Make<Control>(parent, name, left, top, width, height);
    control->setText(QString::fromUtf8(caption));
    return control;
}

// Enabled: the window background with the window text. Disabled: the menu background with
// the inactive caption's text colour. The enabled state then picks the scheme.
void UseSwitchingColours(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Disabled, QPalette::Base, palette.color(QPalette::Window));
    palette.setColor(QPalette::Disabled, QPalette::Text,
                     palette.color(QPalette::Disabled, QPalette::WindowText));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText,
                     palette.color(QPalette::Disabled, QPalette::WindowText));
    widget->setPalette(palette);
}

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

void TForm1::layOut() {
    setWindowTitle(QString::fromUtf8(zolvane::gui::kApplicationTitle));
    setWindowIcon(zolvane::gui::AppIcon());
    // A fixed frame with a system menu and a minimise box, no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(382, 232);

    Button1 = Make<QPushButton>(this, "Button1", 307, 5, 71, 26, "実行");
    HelpButton = Make<QPushButton>(this, "HelpButton", 307, 38, 71, 27, "ヘルプ");
    GroupBox1 = Make<QGroupBox>(this, "GroupBox1", 307, 70, 71, 52);
    DivideButton = Make<QRadioButton>(GroupBox1, "DivideButton", 6, 13, 52, 13, "分割");
    JoinButton = Make<QRadioButton>(GroupBox1, "JoinButton", 6, 32, 52, 14, "結合");
    DivideButton->setChecked(true);
    MiniHelp = Make<QPlainTextEdit>(this, "MiniHelp", 307, 128, 71, 84);
    MiniHelp->setReadOnly(true);
    MiniHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MiniHelp->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MiniHelp->viewport()->setCursor(Qt::ArrowCursor);
    MiniHelp->setFocusPolicy(Qt::ClickFocus);
    // The longest sentence takes six lines of the program's font, which leave no room for the
    // default margin of four pixels: it would cut the last line.
    MiniHelp->document()->setDocumentMargin(1);
    QPalette menu = MiniHelp->palette();
    menu.setColor(QPalette::Base, menu.color(QPalette::Window));
    MiniHelp->setPalette(menu);
    ExitButton = Make<QPushButton>(this, "ExitButton", 307, 214, 71, 17, "終了");
    SetFontPixels(ExitButton, 11);
    SetTextColour(ExitButton, Qt::black);

    auto* pages = new zolvane::gui::PageControl(this);
    PageControl1 = pages;
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 0, 302, 231);
    layOutSource();
    layOutDestination();
    layOutOptions();
    layOutAbout();
    PageControl1->setCurrentWidget(SetSrc);

    Button1->setToolTip(QStringLiteral("分割します"));
    HelpButton->setToolTip(QStringLiteral("ヘルプを表示します"));
    GroupBox1->setToolTip(QStringLiteral("分割か結合か指定します"));
    ExitButton->setToolTip(QStringLiteral("終了します"));
}

void TForm1::layOutSource() {
    SetSrc = new QWidget;
    SetSrc->setObjectName(QStringLiteral("SetSrc"));
    PageControl1->addTab(SetSrc, QStringLiteral("分割元の選択"));
    SrcDirectoryListBox = Make<DirectoryListBox>(SetSrc, "SrcDirectoryListBox", 2, 6, 143, 174);
    FileListBox1 = Make<FileListBox>(SetSrc, "FileListBox1", 150, 6, 142, 174);
    DriveComboBox1 = new DriveComboBox(drives_, SetSrc);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setGeometry(2, 186, 143, 18);
    FMaskEdit = Make<QLineEdit>(SetSrc, "FMaskEdit", 150, 186, 142, 20, "*.*");
}

void TForm1::layOutDestination() {
    SetDest = new QWidget;
    SetDest->setObjectName(QStringLiteral("SetDest"));
    PageControl1->addTab(SetDest, QStringLiteral("分割先の選択"));
    SetDestChk = Make<QCheckBox>(SetDest, "SetDestChk", 6, 6, 104, 20, "分割先を指定");
    DestDirectoryListBox =
        Make<DirectoryListBox>(SetDest, "DestDirectoryListBox", 19, 32, 257, 148);
    DestDriveComboBox = new DriveComboBox(drives_, SetDest);
    DestDriveComboBox->setObjectName(QStringLiteral("DestDriveComboBox"));
    DestDriveComboBox->setGeometry(19, 186, 257, 18);
    for (QWidget* list : {static_cast<QWidget*>(DestDirectoryListBox),
                          static_cast<QWidget*>(DestDriveComboBox)}) {
        UseSwitchingColours(list);
        list->setEnabled(false);
    }
}

void TForm1::layOutOptions() {
    SetOption = new QWidget;
    SetOption->setObjectName(QStringLiteral("SetOption"));
    PageControl1->addTab(SetOption, QStringLiteral("設定"));
    GroupBox3 = Make<QGroupBox>(SetOption, "GroupBox3", 6, 6, 168, 168);
    GroupBox3->setTitle(QStringLiteral("分割サイズ"));
    GroupBox3->setToolTip(QStringLiteral("分割サイズを指定します"));
    SizeButton1 = Make<QRadioButton>(GroupBox3, "SizeButton1", 6, 13, 65, 20, "1.44MB");
    SizeButton2 = Make<QRadioButton>(GroupBox3, "SizeButton2", 6, 38, 65, 14, "720KB");
    SizeButton3 = Make<QRadioButton>(GroupBox3, "SizeButton3", 6, 58, 65, 20, "その他");
    SetFreeSize = Make<QLineEdit>(GroupBox3, "SetFreeSize", 19, 77, 110, 20, "1000000");
    Label3 = Make<QLabel>(GroupBox3, "Label3", 132, 80, 28, 12, "bytes");
    AutoSizeButton =
        Make<QRadioButton>(GroupBox3, "AutoSizeButton", 6, 106, 136, 14, "分割サイズ自動設定");
    Label5 = Make<QLabel>(GroupBox3, "Label5", 26, 122, 63, 12, "対象ドライブ");
    AutoDriveComboBox = new DriveComboBox(drives_, GroupBox3);
    AutoDriveComboBox->setObjectName(QStringLiteral("AutoDriveComboBox"));
    AutoDriveComboBox->setGeometry(38, 134, 116, 18);
    SizeButton4 = Make<QRadioButton>(GroupBox3, "SizeButton4", 83, 13, 71, 20, "1.25MB");
    SizeButton5 = Make<QRadioButton>(GroupBox3, "SizeButton5", 83, 38, 65, 14, "640KB");
    SizeButton1->setChecked(true);
    for (QWidget* control : {static_cast<QWidget*>(SetFreeSize),
                             static_cast<QWidget*>(AutoDriveComboBox)}) {
        UseSwitchingColours(control);
    }
    for (QWidget* control : {static_cast<QWidget*>(SetFreeSize), static_cast<QWidget*>(Label3),
                             static_cast<QWidget*>(Label5),
                             static_cast<QWidget*>(AutoDriveComboBox)}) {
        control->setEnabled(false);
    }

    PressChkBox = Make<QCheckBox>(SetOption, "PressChkBox", 192, 13, 97, 20, "圧縮して分割");
    RecursionBox = Make<QCheckBox>(SetOption, "RecursionBox", 192, 38, 90, 20, "再帰モード");
    RecursionBox->setToolTip(QStringLiteral("圧縮時にサブフォルダも含めます"));
    PressOnlyBox = Make<QCheckBox>(SetOption, "PressOnlyBox", 192, 64, 90, 20, "分割しない");
    PressOnlyBox->setToolTip(QStringLiteral("圧縮だけします"));
    RecursionBox->setEnabled(false);
    PressOnlyBox->setEnabled(false);
    SaveSetting = Make<QPushButton>(SetOption, "SaveSetting", 206, 147, 72, 27, "設定保存");
    SaveSetting->setToolTip(QStringLiteral("設定を保存します"));
    SaveSetting->setEnabled(false);
}

void TForm1::layOutAbout() {
    About = new QWidget;
    About->setObjectName(QStringLiteral("About"));
    PageControl1->addTab(About, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    Bevel1 = Make<QFrame>(About, "Bevel1", 22, 32, 250, 116);
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Label1 = Make<QLabel>(About, "Label1", 58, 51, 168, 21, "Zolvane for Win95");
    SetFontPixels(Label1, 21, true);
    Label2 = Make<QLabel>(About, "Label2", 211, 70, 48, 13, "Ver 1.01");
    SetFontPixels(Label2, 13);
    Label4 = Make<QLabel>(About, "Label4", 69, 109, 180, 13, "(C) 2026 Zolvane 開発チーム");
    SavePressFileDialog = new QFileDialog(this);
    SavePressFileDialog->setObjectName(QStringLiteral("SavePressFileDialog"));
    SavePressFileDialog->setAcceptMode(QFileDialog::AcceptSave);
    SavePressFileDialog->setFileMode(QFileDialog::AnyFile);
    SavePressFileDialog->setDefaultSuffix(QStringLiteral("lzh"));
    SavePressFileDialog->setNameFilter(QStringLiteral("LZH Files (*.lzh)"));
    SetFontPixels(Label4, 13);
    for (QLabel* label : {Label1, Label2, Label4}) {
        SetTextColour(label, Qt::black);
    }
    // Labels take the size of their text in the font at hand, so none is cut.
    for (QLabel* label : {Label1, Label2, Label3, Label4, Label5}) {
        label->adjustSize();
    }
    // The version stands under the end of the title; where the font makes the title longer
    // than the layout's, it moves down below it rather than over it.
    if (Label2->geometry().intersects(Label1->geometry())) {
        Label2->move(Label2->x(), Label1->geometry().bottom() + 1);
    }
}

// Controls without a caption of their own are named for screen readers by what they hold.
void TForm1::nameAndOrder() {
    const std::pair<QWidget*, const char*> names[] = {
        {SrcDirectoryListBox, "元のフォルダ一覧"}, {FileListBox1, "ファイル一覧"},
        {DriveComboBox1, "元のドライブ"},           {FMaskEdit, "ファイルのマスク"},
        {DestDirectoryListBox, "先のフォルダ一覧"}, {DestDriveComboBox, "先のドライブ"},
        {SetFreeSize, "分割サイズのバイト数"},       {AutoDriveComboBox, "自動設定の対象ドライブ"},
        {MiniHelp, "ミニヘルプ"},                   {GroupBox1, "分割か結合か"},
        {PageControl1, "ページ"},
    };
    for (const auto& [control, name] : names) {
        control->setAccessibleName(QString::fromUtf8(name));
    }

    const auto chain = [](std::initializer_list<QWidget*> order) {
        const QWidget* previous = nullptr;
        for (QWidget* next : order) {
            if (previous != nullptr) {
                setTabOrder(const_cast<QWidget*>(previous), next);
            }
            previous = next;
        }
    };
    chain({Button1, DivideButton, JoinButton, PageControl1, MiniHelp, HelpButton, ExitButton});
    chain({DriveComboBox1, SrcDirectoryListBox, FileListBox1, FMaskEdit});
    chain({DestDriveComboBox, DestDirectoryListBox, SetDestChk});
    chain({SizeButton1, SizeButton2, SizeButton3, SetFreeSize, AutoSizeButton, AutoDriveComboBox,
           SizeButton4, SizeButton5, PressChkBox, RecursionBox, PressOnlyBox, SaveSetting});
}

// Radio buttons answer when they become checked, check boxes on every change of state, the
// drive lists on every change of drive (and the user's pick before it).
void TForm1::connectHandlers() {
    const auto whenChecked = [this](QRadioButton* button, void (TForm1::*handler)()) {
        connect(button, &QRadioButton::toggled, this, [this, handler](bool checked) {
            if (checked) {
                (this->*handler)();
            }
        });
    };
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(HelpButton, &QPushButton::clicked, this, &TForm1::HelpButtonClick);
    connect(ExitButton, &QPushButton::clicked, this, &TForm1::ExitButtonClick);
    whenChecked(DivideButton, &TForm1::DivideButtonClick);
    whenChecked(JoinButton, &TForm1::JoinButtonClick);

    connect(DriveComboBox1, &DriveComboBox::userPicked, this, &TForm1::DriveComboBox1Click);
    connect(DriveComboBox1, &DriveComboBox::driveChanged, this, &TForm1::DriveComboBox1Change);
    connect(SrcDirectoryListBox, &DirectoryListBox::directoryChanged, this, [this] {
        rememberFolder(SrcDirectoryListBox->directory());
        followFolder(DriveComboBox1, SrcDirectoryListBox);
        FileListBox1->setDirectory(SrcDirectoryListBox->directory());
    });
    connect(FMaskEdit, &QLineEdit::textChanged, this, &TForm1::FMaskEditChange);

    connect(DestDriveComboBox, &DriveComboBox::userPicked, this, &TForm1::DestDriveComboBoxClick);
    connect(DestDriveComboBox, &DriveComboBox::driveChanged, this,
            &TForm1::DestDriveComboBoxChange);
    connect(SetDestChk, &QCheckBox::toggled, this, &TForm1::SetDestChkClick);
    connect(DestDirectoryListBox, &QListWidget::itemClicked, this,
            &TForm1::DestDirectoryListBoxClick);
    connect(DestDirectoryListBox, &DirectoryListBox::focusLeft, this,
            &TForm1::DestDirectoryListBoxClick);
    connect(DestDirectoryListBox, &DirectoryListBox::directoryChanged, this,
            &TForm1::DestDirectoryListBoxChange);

    for (QRadioButton* fixed : {SizeButton1, SizeButton2, SizeButton4, SizeButton5}) {
        whenChecked(fixed, &TForm1::SizeButton1Click);
    }
    whenChecked(SizeButton3, &TForm1::SizeButton3Click);
    whenChecked(AutoSizeButton, &TForm1::AutoSizeButtonClick);
    connect(SetFreeSize, &QLineEdit::textChanged, this, &TForm1::SetFreeSizeChange);
    connect(AutoDriveComboBox, &DriveComboBox::driveChanged, this,
            &TForm1::AutoDriveComboBoxChange);
    connect(PressChkBox, &QCheckBox::toggled, this, &TForm1::PressChkBoxClick);
    connect(RecursionBox, &QCheckBox::toggled, this, &TForm1::RecursionBoxClick);
    connect(PressOnlyBox, &QCheckBox::toggled, this, &TForm1::RecursionBoxClick);
    connect(SaveSetting, &QPushButton::clicked, this, &TForm1::SaveSettingClick);
}

// The steps both mode switches share: the mode left keeps its destination box and folder,
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
