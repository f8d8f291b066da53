// The main window's layout table: every control with its place, size, caption and tooltip,
// the tab order and the connections of the handlers.
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

#include "mainwindow/DirectoryListBox.h"
#include "mainwindow/DriveComboBox.h"
#include "mainwindow/FileListBox.h"
#include "window/AppIcon.h"
#include "window/MessageBoxes.h"
#include "window/PageControl.h"
#include "window/WindowParts.h"

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
