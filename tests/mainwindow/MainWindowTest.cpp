// The main window offscreen: start-up with the settings it finds, the mode switch, piece
// sizes, saving, the drive prompt, the mini-help and the help button. Settings live in a
// scratch folder, drives come from a fake, message boxes are answered by the recorder.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "mainwindow/DirectoryListBox.h"
#include "mainwindow/DriveComboBox.h"
#include "mainwindow/FileListBox.h"
#include "mainwindow/FreeSizeText.h"
#include "window/MessageBoxes.h"
#include "mainwindow/TForm1.h"
#include "platform/Documents.h"
#include "tests/mainwindow/WindowTest.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;

// Settings are read in order and the first value that fails ends the reading; what was
// read stays, the rest keeps its starting value. SaveSetting is off after start-up.
TEST_F(WindowTest, StartUpAppliesWhatTheSettingsHold) {
    struct Case {
        const char* what;
        std::map<QString, QVariant> settings;
        bool archiver;
        QRadioButton* TForm1::*checked;
        std::int32_t pieceSize;
        bool pressChecked;
        bool saveEnabled;
    };
    const std::vector<Case> cases = {
        {"nothing saved", {}, true, &TForm1::SizeButton1, 1024000, false, false},
        {"a mode but no free size", {{"Setting/DivideMode", 4}, {"Setting/PressChk", 1}}, true,
         &TForm1::SizeButton3, 1024000, false, false},
        {"a free size that is no number",
         {{"Setting/DivideMode", 2}, {"Setting/FreeSize", "abc"}, {"Setting/PressChk", 1}}, true,
         &TForm1::SizeButton2, 1024000, false, false},
        {"everything, automatic sizing",
         {{"Setting/DivideMode", 5}, {"Setting/FreeSize", 5000}, {"Setting/DivideDrive", "/"},
          {"Setting/PressChk", 1}, {"Setting/RecursionChk", 0}, {"Setting/PressOnlyChk", 1}},
         true, &TForm1::AutoSizeButton, 5000, true, false},
        {"a mode out of range", {{"Setting/DivideMode", 9}, {"Setting/FreeSize", 7}}, true,
         &TForm1::SizeButton1, 7, false, false},
        {"compression saved, no archiver",
         {{"Setting/DivideMode", 0}, {"Setting/FreeSize", 1024000}, {"Setting/DivideDrive", "/"},
          {"Setting/PressChk", 1}, {"Setting/RecursionChk", 1}, {"Setting/PressOnlyChk", 0}},
         false, &TForm1::SizeButton1, 1024000, false, true},
    };
    for (const Case& one : cases) {
        SCOPED_TRACE(one.what);
        fs::remove_all(dir.file("config"));
        save(one.settings);
        const auto window = open(one.archiver);
        EXPECT_TRUE(((*window).*one.checked)->isChecked());
        EXPECT_EQ(window->PieceSize, one.pieceSize);
        EXPECT_EQ(window->SetFreeSize->text(), QString::number(one.pieceSize));
        EXPECT_EQ(window->SetFreeSize->isEnabled(), window->SizeButton3->isChecked());
        EXPECT_EQ(window->AutoDriveComboBox->isEnabled(), window->AutoSizeButton->isChecked());
        EXPECT_EQ(window->PressChkBox->isChecked(), one.pressChecked);
        EXPECT_EQ(window->FileListBox1->multiSelect(), one.pressChecked);
        EXPECT_EQ(window->PressChkBox->isEnabled(), one.archiver);
        EXPECT_EQ(window->ArchiverReady, one.archiver);
        EXPECT_EQ(window->SaveSetting->isEnabled(), one.saveEnabled);
        EXPECT_TRUE(window->DivideButton->isChecked());
        EXPECT_EQ(window->PageControl1->currentWidget(), window->SetSrc);
    }
    // The automatic drive starts on the first drive of the list.
    fs::remove_all(dir.file("config"));
    EXPECT_EQ(open()->AutoDrive, floppy);
    save({{"Setting/DivideMode", 5}, {"Setting/FreeSize", 1}, {"Setting/DivideDrive", "/"}});
    EXPECT_EQ(open()->AutoDriveComboBox->drive(), QStringLiteral("/"));
    EXPECT_TRUE(boxes.shown.empty());
}

// Started in a folder of a removable disk, the lists open there but the process moves to the
// home folder: standing on the disk would keep it from being unmounted.
TEST_F(WindowTest, StartedOnARemovableDiskTheProcessMovesHome) {
    drives.devices = {{"/dev/fake-fd0", dir.file("floppy")}};
    drives.roots = {"/dev/fake-fd0", "/"};
    QDir::setCurrent(floppy);
    const auto window = open();
    EXPECT_EQ(window->SrcDirectoryListBox->directory(), floppy);
    EXPECT_EQ(window->DestDirectoryListBox->directory(), floppy);
    EXPECT_EQ(window->DriveComboBox1->drive(), "/dev/fake-fd0");
    EXPECT_EQ(QDir::currentPath(), QDir::homePath());
}

TEST_F(WindowTest, TheWindowComesBackWhereItWas) {
    {
        const auto window = open();
        window->move(120, 80);
        window->close();
    }
    EXPECT_EQ(store().value("Position/Left").toInt(), 120);
    EXPECT_EQ(store().value("Position/Top").toInt(), 80);
    EXPECT_EQ(open()->pos(), QPoint(120, 80));

    save({{"Position/Top", 33}, {"Position/Left", "far"}});  // a Top read before a failure stays
    EXPECT_EQ(open()->y(), 33);

    // The exit button writes the position and lets the library go, without the close
    // handler writing it again.
    const auto window = open();
    window->move(10, 20);
    window->ExitButtonClick();
    EXPECT_FALSE(window->ArchiverReady);
    window->move(300, 300);
    window->close();
    EXPECT_EQ(store().value("Position/Left").toInt(), 10);
}

// Every choice, every accepted free size and every change of the automatic drive or of a
// compression option enables SaveSetting; the mode switch, the destination box and the mask
// do not.
TEST_F(WindowTest, WhatEnablesSaveSetting) {
    struct Case {
        const char* what;
        std::function<void(TForm1&)> act;
        bool enables;
    };
    const std::vector<Case> cases = {
        {"720KB", [](TForm1& w) { w.SizeButton2->setChecked(true); }, true},
        {"その他", [](TForm1& w) { w.SizeButton3->setChecked(true); }, true},
        {"automatic", [](TForm1& w) { w.AutoSizeButton->setChecked(true); }, true},
        {"free size typed", [](TForm1& w) { w.SetFreeSize->setText("2000"); }, true},
        {"automatic drive", [](TForm1& w) { w.AutoDriveComboBox->setDrive("/"); }, true},
        {"compression", [](TForm1& w) { w.PressChkBox->setChecked(true); }, true},
        {"not an integer", [](TForm1& w) { w.SetFreeSize->setText("20x"); }, false},
        {"join mode", [](TForm1& w) { w.JoinButton->setChecked(true); }, false},
        {"destination box", [](TForm1& w) { w.SetDestChk->setChecked(true); }, false},
        {"mask", [](TForm1& w) { w.FMaskEdit->setText("*.doc"); }, false},
    };
    for (const Case& one : cases) {
        const auto window = open();
        one.act(*window);
        EXPECT_EQ(window->SaveSetting->isEnabled(), one.enables) << one.what;
    }
}

TEST_F(WindowTest, PieceSizesAndTheirEnabledStates) {
    const auto window = open();
    window->SizeButton3->setChecked(true);
    EXPECT_TRUE(window->SetFreeSize->isEnabled());
    EXPECT_TRUE(window->Label3->isEnabled());
    EXPECT_FALSE(window->AutoDriveComboBox->isEnabled());
    window->SetFreeSize->setText("1000000");
    EXPECT_EQ(window->PieceSize, 1000000);

    // A letter after the digits: the generic box for the whole text, PieceSize kept.
    window->SetFreeSize->setText("1000000k");
    EXPECT_EQ(window->PieceSize, 1000000);
    window->SetFreeSize->clear();
    EXPECT_EQ(boxes.texts(), (std::vector<QString>{"'1000000k' は整数ではありません.",
                                                   "'' は整数ではありません."}));
    EXPECT_EQ(boxes.shown[0].caption, "Zolvane for Win95");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);

    window->AutoSizeButton->setChecked(true);
    EXPECT_FALSE(window->SetFreeSize->isEnabled());
    EXPECT_TRUE(window->AutoDriveComboBox->isEnabled());
    EXPECT_TRUE(window->Label5->isEnabled());
    window->SizeButton5->setChecked(true);
    EXPECT_FALSE(window->AutoDriveComboBox->isEnabled());
    EXPECT_FALSE(window->Label5->isEnabled());
    EXPECT_EQ(window->PieceSize, 1000000) << "a fixed size leaves the free size alone";
}

TEST(FreeSizeValue, ReadsTheWholeTextAsOneInteger) {
    const std::vector<std::pair<const char*, std::optional<std::int32_t>>> cases = {
        {"1000000", 1000000},     {"  42", 42},      {"+7", 7},
        {"-5", -5},               {"$1F", 31},       {"0x10", 16},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt}, {"12a", std::nullopt}, {"", std::nullopt},
        {"42 ", std::nullopt},    {"--1", std::nullopt}, {"$", std::nullopt},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(gui::FreeSizeValue(QString::fromUtf8(text)), value) << text;
    }
}

TEST_F(WindowTest, SavedSettingsSurviveARestart) {
    {
        const auto window = open();
        window->SizeButton3->setChecked(true);
        window->SetFreeSize->setText("777777");
        window->AutoDriveComboBox->setDrive("/");
        window->PressChkBox->setChecked(true);
        window->PressOnlyBox->setChecked(true);
        window->SaveSettingClick();
        EXPECT_FALSE(window->SaveSetting->isEnabled());
        window->SizeButton2->setChecked(true);  // changed, never saved
    }
    EXPECT_EQ(store().value("Setting/DivideMode").toInt(), 4);
    EXPECT_EQ(store().value("Setting/DivideDrive").toString(), "/");
    const auto window = open();
    EXPECT_TRUE(window->SizeButton3->isChecked());
    EXPECT_EQ(window->PieceSize, 777777);
    EXPECT_EQ(window->AutoDriveComboBox->drive(), "/");
    EXPECT_TRUE(window->PressChkBox->isChecked());
    EXPECT_FALSE(window->RecursionBox->isChecked());
    EXPECT_TRUE(window->PressOnlyBox->isChecked());
    EXPECT_FALSE(window->SaveSetting->isEnabled());
}

TEST_F(WindowTest, ARefusedWriteSaysWhichValue) {
    const auto window = open();
    window->SizeButton2->setChecked(true);
    // Where the settings file should be stands a folder: nothing can be written.
    fs::create_directories(dir.file("config/ZolvaneWin.conf"));
    window->SaveSettingClick();
    EXPECT_EQ(boxes.texts(), std::vector<QString>{"'DivideMode' の設定に失敗しました."});
    EXPECT_EQ(boxes.shown[0].caption, "Zolvane for Win95");
    EXPECT_TRUE(window->SaveSetting->isEnabled());
}

// Each mode keeps its destination box and folder; join mode shows first pieces only and puts
// the settings page out of reach without changing it.
TEST_F(WindowTest, ModeSwitchRoundTrips) {
    const auto window = open();
    TForm1& w = *window;
    w.SizeButton3->setChecked(true);
    w.SetDestChk->setChecked(true);
    w.DestDriveComboBox->setDrive(floppy);
    EXPECT_EQ(w.DestDirectoryListBox->directory(), floppy);
    EXPECT_EQ(w.SplitDestDir, floppy);
    EXPECT_EQ(QDir::currentPath(), work);

    w.JoinButton->setChecked(true);
    EXPECT_FALSE(w.SetDestChk->isChecked()) << "the first join shows the box unchecked";
    EXPECT_FALSE(w.DestDirectoryListBox->isEnabled());
    EXPECT_FALSE(w.DestDriveComboBox->isEnabled());
    EXPECT_EQ(w.SetDestChk->text(), "結合先を指定");
    EXPECT_EQ(w.Button1->toolTip(), "結合します");
    EXPECT_EQ(w.PageControl1->tabText(0), "結合元の選択");
    EXPECT_EQ(w.PageControl1->tabText(1), "結合先の選択");
    EXPECT_EQ(w.FileListBox1->mask(), "*.000");
    EXPECT_EQ(w.FMaskEdit->text(), "*.*");
    EXPECT_EQ(w.FileListBox1->count(), 1) << "REPORT.000 alone";
    EXPECT_FALSE(w.SetOption->isEnabled());
    for (QWidget* control : std::initializer_list<QWidget*>{w.SizeButton1, w.SetFreeSize,
                                                            w.AutoDriveComboBox, w.PressChkBox}) {
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    }
    EXPECT_TRUE(w.SizeButton3->isChecked());
    w.SetDestChk->setChecked(true);
    w.DestDirectoryListBox->setDirectory(work + "/sub");
    EXPECT_EQ(w.JoinDestDir, work + "/sub");

    w.DivideButton->setChecked(true);
    EXPECT_TRUE(w.SetDestChk->isChecked());
    EXPECT_EQ(w.DestDirectoryListBox->directory(), floppy);
    EXPECT_EQ(w.SetDestChk->text(), "分割先を指定");
    EXPECT_EQ(w.PageControl1->tabText(0), "分割元の選択");
    EXPECT_EQ(w.FileListBox1->mask(), "*.*");
    EXPECT_TRUE(w.SetOption->isEnabled());
    EXPECT_TRUE(w.SetFreeSize->isEnabled()) << "その他 is still chosen";
    EXPECT_FALSE(w.AutoDriveComboBox->isEnabled());
    EXPECT_FALSE(w.RecursionBox->isEnabled()) << "compression is off";

    w.JoinButton->setChecked(true);
    EXPECT_TRUE(w.SetDestChk->isChecked());
    EXPECT_EQ(w.DestDirectoryListBox->directory(), work + "/sub");
    EXPECT_FALSE(w.SaveSetting->isEnabled());
}

// A remembered destination on a drive that is no longer ready moves to the root of the first
// ready drive; with no ready drive at all the switch still completes.
TEST_F(WindowTest, ARememberedDriveThatIsNotReady) {
    const auto window = open();
    TForm1& w = *window;
    w.SetDestChk->setChecked(true);
    w.DestDriveComboBox->setDrive(floppy);
    w.JoinButton->setChecked(true);
    drives.notReady = {dir.file("floppy")};
    w.DivideButton->setChecked(true);
    EXPECT_EQ(w.DestDriveComboBox->drive(), "/");
    EXPECT_EQ(w.SplitDestDir, "/");
    EXPECT_EQ(w.DestDirectoryListBox->directory(), "/");

    w.DestDriveComboBox->setDrive(floppy);  // answered Cancel by the recorder: back to "/"
    drives.notReady = {dir.file("floppy"), "/"};
    w.JoinButton->setChecked(true);
    w.DivideButton->setChecked(true);
    EXPECT_EQ(w.PageControl1->tabText(0), "分割元の選択");
    EXPECT_TRUE(w.SetOption->isEnabled());
}

TEST_F(WindowTest, ADriveWithoutMediumIsAskedForThenLeft) {
    drives.notReady = {dir.file("floppy")};
    const auto window = open();
    TForm1& w = *window;
    ASSERT_EQ(w.DriveComboBox1->drive(), "/");
    boxes.nextAnswers = {MessageReply::Retry, MessageReply::Cancel};
    QTest::keyClick(w.DriveComboBox1, Qt::Key_Up);  // the user picks the floppy drive above
    EXPECT_EQ(boxes.texts(), std::vector<QString>(2, floppy + " ドライブの準備ができていません。"));
    EXPECT_EQ(boxes.shown[0].caption, "エラー");
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::RetryCancel);
    EXPECT_EQ(w.LastDrive, "/");
    EXPECT_EQ(w.DriveComboBox1->drive(), "/");
    EXPECT_EQ(w.SrcDirectoryListBox->directory(), work);

    drives.notReady.clear();
    QTest::keyClick(w.DriveComboBox1, Qt::Key_Up);
    EXPECT_EQ(w.SrcDirectoryListBox->directory(), floppy);
    EXPECT_EQ(QDir::currentPath(), work) << "the process stays out of the list's folder";
    EXPECT_EQ(w.FileListBox1->directory(), floppy);
}

// A removable drive picked after its disk went in opens the folder the disk is mounted at, and
// the box shows that folder.
TEST_F(WindowTest, APickedRemovableDriveOpensItsDisk) {
    drives.devices = {{"/dev/fake-fd0", ""}};
    drives.roots = {"/dev/fake-fd0", "/"};
    const auto window = open();
    drives.devices["/dev/fake-fd0"] = dir.file("floppy");
    QTest::keyClick(window->DriveComboBox1, Qt::Key_Up);
    EXPECT_EQ(window->DriveComboBox1->drive(), "/dev/fake-fd0");
    EXPECT_EQ(window->DriveComboBox1->currentText(), floppy);
    EXPECT_EQ(window->SrcDirectoryListBox->directory(), floppy);
    EXPECT_EQ(window->FileListBox1->directory(), floppy);
    EXPECT_TRUE(boxes.shown.empty());
}

// Each control with a handler says its sentence; a disabled one counts as what holds it; a
// control without a handler leaves the text as it was.
TEST_F(WindowTest, MiniHelpFollowsTheMouse) {
    const auto window = open();
    TForm1& w = *window;
    const QString kept = QStringLiteral("(kept)");
    struct Row {
        QWidget* control;
        QString split;
        QString join;
    };
    const std::vector<Row> rows = {
        {w.Button1, "分割を開始します。", "結合を開始します。"},
        {w.HelpButton, "ヘルプを表示します。", "ヘルプを表示します。"},
        {w.ExitButton, "終了します。", "終了します。"},
        {w.DivideButton, "分割モードします。", "分割モードします。"},
        {w.JoinButton, "結合モードにします。", "結合モードにします。"},
        {w.GroupBox1, "", ""},
        {w.MiniHelp->viewport(), "ミニヘルプを表示する場所です。", "ミニヘルプを表示する場所です。"},
        {&w, "", ""},
        {w.SetSrc, "分割元を指定します。", "結合元を指定します。"},
        {w.SetDest, "分割先を指定します。", "結合先を指定します。"},
        {w.DestDirectoryListBox->viewport(), "分割先を指定します。", "結合先を指定します。"},
        {w.SetOption, "", kept},
        {w.GroupBox3, "", kept},
        {w.SetFreeSize, "", kept},
        {w.SizeButton1, "1.44MBに分割します。", kept},
        {w.SizeButton2, "720KBに分割します。", kept},
        {w.SizeButton3, "指定サイズで分割します。", kept},
        {w.SizeButton4, "1.25MBに分割します。", kept},
        {w.SizeButton5, "640KBに分割します。", kept},
        {w.AutoSizeButton, "指定ドライブの残り容量を計算してそのサイズで分割します。", kept},
        {w.PressChkBox, "圧縮して分割します。", kept},
        {w.RecursionBox, "", kept},
        {w.SaveSetting, "", kept},
        {w.About, "バージョン情報を表示しています。", "バージョン情報を表示しています。"},
        {w.Label1, kept, kept},
        {w.FMaskEdit, kept, kept},
        {w.FileListBox1->viewport(), kept, kept},
        {w.DriveComboBox1, kept, kept},
        {w.PageControl1->tabBar(), kept, kept},
    };
    for (const bool join : {false, true}) {
        (join ? w.JoinButton : w.DivideButton)->setChecked(true);
        for (const Row& row : rows) {
            w.MiniHelp->setPlainText(kept);
            w.MouseMovedOver(row.control);
            EXPECT_EQ(w.MiniHelp->toPlainText(), join ? row.join : row.split)
                << row.control->objectName().toStdString() << (join ? " in join mode" : "");
        }
    }
    // With compression on, its options speak for themselves.
    w.DivideButton->setChecked(true);
    w.PressChkBox->setChecked(true);
    for (const auto& [control, text] : std::vector<std::pair<QWidget*, QString>>{
             {w.RecursionBox, "サブフォルダも含めて圧縮し、分割します。"},
             {w.PressOnlyBox, "圧縮だけして分割しません。"},
             {w.SaveSetting, "設定を保存します。"}}) {
        w.MouseMovedOver(control);
        EXPECT_EQ(w.MiniHelp->toPlainText(), text);
    }

    // The real path: a mouse move delivered to the window.
    w.show();
    QTest::mouseMove(w.HelpButton);
    EXPECT_EQ(w.MiniHelp->toPlainText(), "ヘルプを表示します。");
}

// Points the help button's opener at a script of the test's for the test's time.
class FakeOpener {
public:
    FakeOpener(const std::string& path, const std::string& body)
        : before_(platform::SetDocumentOpener(path)) {
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(path, fs::perms::owner_all);
    }
    ~FakeOpener() { platform::SetDocumentOpener(before_); }
    FakeOpener(const FakeOpener&) = delete;
    FakeOpener& operator=(const FakeOpener&) = delete;

private:
    std::string before_;
};

// The help page is looked for in the current folder first, then beside the program.
TEST_F(WindowTest, HelpOpensThePageWhereverTheUserBrowsed) {
    const auto window = open();
    const std::string log = dir.file("opened");
    {
        FakeOpener opener(dir.file("opener"), "echo \"$1\" >> '" + log + "'");
        test::WriteBytes(dir.file("work/zolvane.html"), {'<'});
        window->HelpButtonClick();
        window->SrcDirectoryListBox->setDirectory(work + "/sub");
        window->HelpButtonClick();
    }
    const test::Bytes opened = test::ReadBytes(log);
    EXPECT_EQ(
        QString::fromUtf8(reinterpret_cast<const char*>(opened.data()), opened.size()),
        work + "/zolvane.html\n" + QCoreApplication::applicationDirPath() + "/zolvane.html\n");
    EXPECT_TRUE(boxes.shown.empty());

    // An opener that finds no browser ("xdg-open: no method available"), and no opener at all.
    const QString page = QCoreApplication::applicationDirPath() + "/zolvane.html";
    const std::string missing = dir.file("no-opener");
    FakeOpener noBrowser(dir.file("no-browser"), "exit 3");
    window->HelpButtonClick();
    platform::SetDocumentOpener(missing);
    window->HelpButtonClick();
    ASSERT_EQ(boxes.texts(), std::vector<QString>(2, "ブラウザを起動できません。"));
    EXPECT_EQ(boxes.shown[0].caption, "エラー");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(boxes.shown[0].detail, page + ": " + Q(dir.file("no-browser")) + ": exit status 3");
    EXPECT_EQ(boxes.shown[1].detail, page + ": " + Q(missing) + ": No such file or directory");
}

// A folder list that leaves its drive (up from the floppy's folder to the system's disk) takes
// its drive list along, which neither checks the drive it lands on nor moves the list again.
TEST_F(WindowTest, TheDriveListsFollowTheirFolderLists) {
    const auto window = open();
    TForm1& w = *window;
    w.SetDestChk->setChecked(true);
    drives.notReady = {"/"};  // a check of the system's disk would ask for it
    const std::pair<gui::DriveComboBox*, gui::DirectoryListBox*> pairs[] = {
        {w.DriveComboBox1, w.SrcDirectoryListBox}, {w.DestDriveComboBox, w.DestDirectoryListBox}};
    for (const auto& [drive, folders] : pairs) {
        SCOPED_TRACE(folders->objectName().toStdString());
        ASSERT_EQ(drive->drive(), "/");
        folders->setDirectory(floppy);
        EXPECT_EQ(drive->drive(), floppy);
        EXPECT_EQ(drive->currentText(), floppy);
        folders->setCurrentRow(folders->currentRow() - 1);
        QTest::keyClick(folders, Qt::Key_Return);
        EXPECT_EQ(folders->directory(), Q(dir.path().string()));
        EXPECT_EQ(drive->drive(), "/");
        EXPECT_EQ(drive->currentText(), "/");
    }
    EXPECT_TRUE(boxes.shown.empty());
}

// The layout: every control carries its layout name, controls without a caption of their own
// a Japanese name for screen readers, and all four page tabs fit without scrolling.
TEST_F(WindowTest, ControlsAreNamedAndThePagesFit) {
    const auto window = open();
    const std::vector<std::pair<QWidget*, const char*>> tips = {
        {window->Button1, "分割します"},        {window->HelpButton, "ヘルプを表示します"},
        {window->GroupBox1, "分割か結合か指定します"}, {window->ExitButton, "終了します"},
        {window->GroupBox3, "分割サイズを指定します"},
        {window->RecursionBox, "圧縮時にサブフォルダも含めます"},
        {window->PressOnlyBox, "圧縮だけします"},  {window->SaveSetting, "設定を保存します"}};
    for (const auto& [control, tip] : tips) {
        EXPECT_EQ(control->toolTip(), QString::fromUtf8(tip));
        EXPECT_EQ(window->findChild<QWidget*>(control->objectName()), control);
    }
    for (QWidget* unlabelled : std::initializer_list<QWidget*>{
             window->SrcDirectoryListBox, window->FileListBox1, window->DriveComboBox1,
             window->FMaskEdit, window->DestDirectoryListBox, window->DestDriveComboBox,
             window->SetFreeSize, window->AutoDriveComboBox, window->MiniHelp}) {
        EXPECT_FALSE(unlabelled->accessibleName().isEmpty()) << unlabelled->objectName().toStdString();
    }
    EXPECT_EQ(window->size(), QSize(382, 232));
    EXPECT_EQ(window->Button1->geometry(), QRect(307, 5, 71, 26));
    EXPECT_EQ(window->GroupBox3->geometry(), QRect(6, 6, 168, 168));
    window->show();
    const QTabBar* tabs = window->PageControl1->tabBar();
    EXPECT_LE(tabs->tabRect(3).right(), window->PageControl1->width());
    for (int i = 0; i < tabs->count(); ++i) {
        EXPECT_GE(tabs->tabRect(i).width(),
                  tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)))
            << tabs->tabText(i).toStdString();
    }
}

// An error that escapes a handler lands in the generic box and the program goes on.
class Throwing : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            throw std::runtime_error("何かが失敗しました");
        }
        return QObject::event(event);
    }
};

TEST_F(WindowTest, AnEscapingErrorIsShownAndTheProgramGoesOn) {
    Throwing target;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&target, &event);
    EXPECT_EQ(boxes.texts(), std::vector<QString>{"何かが失敗しました."});
    EXPECT_EQ(boxes.shown[0].caption, "Zolvane for Win95");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Error);
}

}  // namespace
}  // namespace zolvane
