// The window program with a real USB floppy drive whose every disk UDisks2 mounts at a folder
// of its own: a 3 MB file split automatically across three disks and joined back from them,
// the disks swapped at the program's questions as a person swaps them.
#include <sys/stat.h>
#include <utime.h>

#include <QCheckBox>
#include <QRadioButton>
#include <filesystem>

#include "mainwindow/DirectoryListBox.h"
#include "mainwindow/DriveComboBox.h"
#include "mainwindow/FileListBox.h"
#include "tests/mainwindow/WindowTest.h"
#include "tests/support/DiskService.h"
#include "tests/support/TestFloppyDrive.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;

constexpr std::time_t kSourceTime = 992060720;  // DOS times count in two seconds

class DiskSwapWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (!services.problem().empty()) {
            GTEST_SKIP() << services.problem();
        }
        ASSERT_EQ(floppyDrive.problem(), "");
        for (const char* label : {"ZVWIN1", "ZVWIN2", "ZVWIN3"}) {
            images.push_back(floppyDrive.makeDisk(label));
        }
    }

    std::unique_ptr<TForm1> openOnTheSystem() {
        return std::make_unique<TForm1>(platform::SystemDrives(),
                                        std::vector<std::string>{platform::ExecutableFolder()});
    }

    // At every box with `text` the disk in the drive must be free to come out; the next one
    // goes in, left for the program to mount.
    void swapAt(const QString& text) {
        swaps = 0;
        boxes.nextAnswers = std::deque<MessageReply>(5, MessageReply::Ok);
        boxes.onShow = [this, text](const gui::RecordedBox& box) {
            if (box.text != text) {
                return;
            }
            EXPECT_EQ(floppyDrive.mountPoint(), "") << "still mounted at the question";
            EXPECT_TRUE(floppyDrive.insert(images.at(++swaps))) << floppyDrive.problem();
        };
    }

    test::DiskService services;
    test::TestFloppyDrive floppyDrive;
    std::vector<std::string> images;
    std::size_t swaps = 0;
};

TEST_F(DiskSwapWindowTest, ThreeDisksThroughTheWindows) {
    const test::Bytes bytes = test::PatternBytes(3000000, 13);
    test::WriteBytes(dir.file("work/BIG.BIN"), bytes);
    const utimbuf times{kSourceTime, kSourceTime};
    utime(dir.file("work/BIG.BIN").c_str(), &times);
    chmod(dir.file("work/BIG.BIN").c_str(), 0444);
    ASSERT_TRUE(floppyDrive.insert(images[0])) << floppyDrive.problem();

    auto window = openOnTheSystem();
    window->show();
    window->SrcDirectoryListBox->setDirectory(work);
    window->AutoSizeButton->setChecked(true);
    ASSERT_TRUE(window->AutoDriveComboBox->setDrive(Q(floppyDrive.device())));
    window->FileListBox1->refresh();
    window->FileListBox1->setCurrentItem(window->FileListBox1->findItems("BIG.BIN", Qt::MatchExactly).front());
    swapAt("次のフロッピーディスクを入れてください。");
    window->Button1Click();
    EXPECT_EQ(boxes.texts().back(), "分割が終了しました。");
    EXPECT_EQ(swaps, 2u);

    // Joined from the first disk, as the user opens it in the source list.
    ASSERT_TRUE(floppyDrive.insert(images[0])) << floppyDrive.problem();
    const std::string first = floppyDrive.mountWithUDisks();
    ASSERT_NE(first, "");
    boxes.shown.clear();
    window->JoinButton->setChecked(true);
    window->SetDestChk->setChecked(true);
    window->JoinDestDir = Q(dir.file("floppy"));
    window->DestDirectoryListBox->setDirectory(Q(dir.file("floppy")));
    window->SrcDirectoryListBox->setDirectory(Q(first));
    window->FileListBox1->refresh();
    const auto found = window->FileListBox1->findItems("BIG.000", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    window->FileListBox1->setCurrentItem(found.front());
    swapAt("次のディスクを入れてください。\n\nフロッピーディスクからでない場合、\n"
           "ファイルが指定のフォルダに見つかりませんでした。");
    window->Button1Click();
    EXPECT_EQ(boxes.texts().back(), "結合が終了しました。");
    EXPECT_EQ(swaps, 2u);
    EXPECT_EQ(test::ReadBytes(dir.file("floppy/BIG.BIN")), bytes);
    struct stat info {};
    ASSERT_EQ(stat(dir.file("floppy/BIG.BIN").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, kSourceTime);
    EXPECT_EQ(info.st_mode & 0222, 0u);
}

}  // namespace
}  // namespace zolvane
