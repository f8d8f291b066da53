// The drive, folder and file lists, driven offscreen as a user would drive them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "mainwindow/DirectoryListBox.h"
#include "mainwindow/DriveComboBox.h"
#include "mainwindow/FileListBox.h"
#include "mainwindow/FileMask.h"
#include "window/MessageBoxes.h"
#include "tests/support/FakeDrives.h"
#include "tests/support/TempDir.h"

namespace zolvane::gui {
namespace {

namespace fs = std::filesystem;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

TEST(FileMaskTest, MatchesDosWildcards) {
    const QString longName = QString(60, 'a');
    const struct {
        QString mask;
        QStringList matching, other;
    } cases[] = {
        {"*.000", {"REPORT.000", "report.000"}, {"REPORT.001", "REPORT000"}},
        {"*.*", {"README", "a.b.c"}, {}},
        {"REPORT.*", {"REPORT", "report.1"}, {"REPORTS"}},
        {" *.txt ;*.doc ", {"a.txt", "b.DOC"}, {"a.pdf"}},
        {"?", {"x"}, {"", "xy"}},
        {"a?.t*", {"Ab.TxT"}, {"a.txt"}},
        {";;", {}, {"name"}},
        // Backtracking over every star in turn would not end here.
        {"*a*a*a*a*a*a*a*a*a*a*a*b", {longName + "b"}, {longName}},
    };
    for (const auto& c : cases) {
        for (const QString& name : c.matching) {
            EXPECT_TRUE(MatchesFileMask(name, c.mask)) << qPrintable(name + " / " + c.mask);
        }
        for (const QString& name : c.other) {
            EXPECT_FALSE(MatchesFileMask(name, c.mask)) << qPrintable(name + " / " + c.mask);
        }
    }
}

class DriveComboBoxTest : public ::testing::Test {
protected:
    DriveComboBoxTest() {
        combo_.setDrive("/media/USB");
        changed_.clear();
    }

    test::FakeDrives drives_ = [] {
        test::FakeDrives fake;
        fake.roots = {"/media/USB", "/", "/mnt/Data"};
        return fake;
    }();
    DriveComboBox combo_{drives_};
    QSignalSpy changed_{&combo_, &DriveComboBox::driveChanged};
    QSignalSpy picked_{&combo_, &DriveComboBox::userPicked};
};

TEST_F(DriveComboBoxTest, ShowsNothingUntilSetThenChangesOnlyWhenTheDriveDoes) {
    EXPECT_EQ(DriveComboBox(drives_).drive(), "");  // until the window sets one
    EXPECT_EQ(combo_.drives(), QStringList({"/media/USB", "/", "/mnt/Data"}));
    EXPECT_TRUE(combo_.setDrive("/mnt/Data"));
    EXPECT_TRUE(combo_.setDrive("/mnt/Data"));
    EXPECT_FALSE(combo_.setDrive("/mnt/data"));
    EXPECT_EQ(combo_.currentText(), "/mnt/Data");
    drives_.roots.push_back("/media/CD");  // put in after the list was read
    EXPECT_TRUE(combo_.setDrive("/media/CD"));
    EXPECT_EQ(changed_.count(), 2);
    EXPECT_EQ(picked_.count(), 0);
}

TEST_F(DriveComboBoxTest, UserPickComesBeforeTheChange) {
    QStringList events;
    QObject::connect(&combo_, &DriveComboBox::userPicked,
                     [&] { events << "pick " + combo_.drive(); });
    QObject::connect(&combo_, &DriveComboBox::driveChanged, [&] { events << combo_.drive(); });
    QTest::keyClick(&combo_, Qt::Key_Down);
    emit combo_.activated(combo_.currentIndex());  // the entry already shown: no change
    EXPECT_EQ(events, QStringList({"pick /media/USB", "/", "pick /"}));
}

TEST_F(DriveComboBoxTest, OpeningReadsDrivesAgainAndKeepsAVanishedOneShown) {
    drives_.roots = {"/media/CD", "/"};
    QTest::keyClick(&combo_, Qt::Key_Down, Qt::AltModifier);  // opens the list
    combo_.hidePopup();
    EXPECT_EQ(combo_.drives(), QStringList({"/media/CD", "/", "/media/USB"}));
    EXPECT_EQ(combo_.currentText(), "/media/USB");
}

// Entries show what each drive holds now and keep the drive's name: a removable drive is its
// device, shown by its medium's folder when one is mounted; the texts follow the media when the
// list is read again, and a drive the machine no longer lists may still be kept.
TEST_F(DriveComboBoxTest, ShowsWhatEachDriveHoldsAndKeepsItsName) {
    const auto texts = [this] {
        QStringList shown;
        for (int i = 0; i < combo_.count(); ++i) {
            shown << combo_.itemText(i);
        }
        return shown;
    };
    const std::string stick = "/dev/disk/by-id/usb-STICK";
    drives_.devices = {{stick, "/media/user/STICK"}, {"/dev/fd0", ""}};
    drives_.roots = {stick, "/dev/fd0", "/"};
    EXPECT_TRUE(combo_.setDrive("/dev/fd0"));
    combo_.refreshDrives();  // the drive shown before is gone from the list now
    EXPECT_EQ(combo_.drives(), QStringList({Q(stick), "/dev/fd0", "/"}));
    EXPECT_EQ(texts(), QStringList({"/media/user/STICK", "/dev/fd0 (FAKE FLOPPY)", "/"}));
    EXPECT_EQ(combo_.currentText(), "/dev/fd0 (FAKE FLOPPY)");

    drives_.devices = {{stick, ""}, {"/dev/fd0", "/media/user/FLOPPY"}};  // the disks swapped
    QTest::keyClick(&combo_, Qt::Key_Down, Qt::AltModifier);              // opens the list
    combo_.hidePopup();
    EXPECT_EQ(texts(), QStringList({Q(stick + " (FAKE FLOPPY)"), "/media/user/FLOPPY", "/"}));
    QTest::keyClick(&combo_, Qt::Key_Up);
    EXPECT_EQ(combo_.drive(), Q(stick));

    combo_.keepDrive("/dev/disk/by-id/usb-GONE");
    EXPECT_EQ(combo_.drive(), "/dev/disk/by-id/usb-GONE");
    EXPECT_EQ(combo_.drives().last(), "/dev/disk/by-id/usb-GONE");
    EXPECT_EQ(changed_.count(), 3);
}

// The lists keep their folder to themselves: the process's current folder stays where it was
// (a list on a floppy must not keep the floppy busy). Every test gets it back all the same.
class FolderTest : public ::testing::Test {
protected:
    ~FolderTest() override { QDir::setCurrent(saved_); }

    QString path(const QString& name = {}) const {
        return QDir(QString::fromStdString(temp_.path().string())).filePath(name);
    }
    // Names ending in "/" are made as folders.
    void make(const QStringList& names) const {
        for (const QString& name : names) {
            name.endsWith('/') ? QDir().mkdir(path(name))
                               : QFile(path(name)).open(QFile::WriteOnly);
        }
    }
    static void click(QListWidget& list, int row, Qt::KeyboardModifiers keys = {}) {
        list.scrollToItem(list.item(row));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, keys,
                          list.visualItemRect(list.item(row)).center());
    }
    static QStringList texts(const QListWidget& list) {
        QStringList names;
        for (int row = 0; row < list.count(); ++row) {
            names << list.item(row)->text();
        }
        return names;
    }

    QString saved_ = QDir::currentPath();
    test::TempDir temp_;
};

class DirectoryListBoxTest : public FolderTest {
protected:
    void SetUp() override {
        make({"file.txt", "beta/", "Alpha/", ".hidden/", "gamma/"});
        list_.resize(300, 400);  // room for every entry, so clicks land on them
        ASSERT_TRUE(list_.setDirectory(path() + "/"));
        open_ = list_.currentRow();
    }

    MessageBoxRecorder boxes_;
    DirectoryListBox list_;
    QSignalSpy changed_{&list_, &DirectoryListBox::directoryChanged};
    int open_ = -1;
};

TEST_F(DirectoryListBoxTest, ShowsThePathThenTheSubfoldersAndOpensByDoubleClickOrEnter) {
    EXPECT_EQ(list_.directory(), path());
    EXPECT_EQ(list_.item(0)->text(), "/");
    EXPECT_EQ(list_.item(open_)->text(), QDir(path()).dirName());
    EXPECT_TRUE(list_.item(open_)->isSelected());
    EXPECT_EQ(texts(list_).mid(open_ + 1), QStringList({"Alpha", "beta", "gamma"}));
    EXPECT_EQ(list_.item(open_ + 2)->data(DirectoryListBox::kPathRole), path("beta"));

    click(list_, open_ + 2);  // QTest's double click on a widget is the second press only
    QTest::mouseDClick(list_.viewport(), Qt::LeftButton, {},
                       list_.visualItemRect(list_.item(open_ + 2)).center());
    EXPECT_EQ(list_.directory(), path("beta"));
    EXPECT_EQ(list_.count(), open_ + 2);  // one level deeper, no subfolders
    list_.setCurrentRow(open_);           // the parent
    QTest::keyClick(&list_, Qt::Key_Return);
    EXPECT_EQ(list_.directory(), path());
    EXPECT_EQ(QDir::currentPath(), saved_);
    EXPECT_TRUE(list_.setDirectory(path()));
    EXPECT_EQ(changed_.count(), 3);  // the first opening counts too
}

TEST_F(DirectoryListBoxTest, RefusesWhatCannotBeOpened) {
    const int entries = list_.count();
    make({"locked/"});
    fs::permissions(temp_.path() / "locked", fs::perms::none);
    QStringList refused = {path("missing"), path("file.txt")};
    if (geteuid() != 0) {  // root reads every folder
        refused << path("locked");
    }
    for (const QString& folder : refused) {
        EXPECT_FALSE(list_.setDirectory(folder)) << qPrintable(folder);
    }
    EXPECT_TRUE(boxes_.shown.empty()) << "the program's own attempts say nothing";

    // Folders that vanish or turn into a file while listed: the user is told which and why.
    struct Case {
        int row;
        const char* reason;
    };
    std::vector<Case> cases = {{open_ + 2, "Not a directory"},
                               {open_ + 3, "No such file or directory"}};
    fs::remove(temp_.path() / "beta");
    make({"beta"});
    fs::remove(temp_.path() / "gamma");
    if (geteuid() != 0) {
        fs::permissions(temp_.path() / "Alpha", fs::perms::none);
        cases.push_back({open_ + 1, "Permission denied"});
    }
    for (const Case& one : cases) {
        const QString entry = list_.item(one.row)->data(DirectoryListBox::kPathRole).toString();
        boxes_.shown.clear();
        list_.setCurrentRow(one.row);
        list_.openSelected();
        EXPECT_EQ(list_.count(), entries);
        EXPECT_EQ(list_.currentRow(), open_);
        EXPECT_EQ(list_.directory(), path());
        ASSERT_EQ(boxes_.texts(), std::vector<QString>{"フォルダーを開けません。"});
        EXPECT_EQ(boxes_.shown[0].caption, "エラー");
        EXPECT_EQ(boxes_.shown[0].icon, MessageIcon::Error);
        EXPECT_EQ(boxes_.shown[0].detail, entry + ": " + one.reason);
    }
    EXPECT_EQ(changed_.count(), 1);
}

class FileListBoxTest : public FolderTest {
protected:
    void SetUp() override {
        make({"b.txt", "A.doc", ".hidden", "c.TXT", "sub.txt/"});
        fs::create_symlink("b.txt", temp_.path() / "link.txt");
        list_.resize(300, 400);
        list_.setDirectory(path());
    }

    FileListBox list_;
};

TEST_F(FileListBoxTest, ListsMatchingFilesHiddenOnesTooButNoFolders) {
    const struct {
        const char* mask;
        QStringList names;
    } cases[] = {
        {"*.txt", {"b.txt", "c.TXT", "link.txt"}},
        {"*.doc; .h*", {".hidden", "A.doc"}},
        {"*.*", {".hidden", "A.doc", "b.txt", "c.TXT", "link.txt"}},
    };
    for (const auto& c : cases) {
        QDir::setCurrent(QDir::rootPath());
        list_.setMask(c.mask);
        EXPECT_EQ(texts(list_), c.names) << c.mask;
        EXPECT_EQ(QDir::currentPath(), QDir::rootPath());
    }
}

TEST_F(FileListBoxTest, CurrentFilePathNeedsTheCaretItemSelected) {
    EXPECT_EQ(list_.currentFilePath(), "");
    list_.setCurrentRow(1, QItemSelectionModel::NoUpdate);
    EXPECT_EQ(list_.currentFilePath(), "");
    click(list_, 2);
    EXPECT_EQ(list_.currentFilePath(), path("b.txt"));
}

TEST_F(FileListBoxTest, MultiSelectAndRefreshKeepTheSelection) {
    list_.setMultiSelect(true);
    click(list_, 1);
    click(list_, 2, Qt::ControlModifier);
    click(list_, 3, Qt::ControlModifier);
    fs::remove(temp_.path() / "A.doc");
    make({"a0.txt"});
    QDir::setCurrent(QDir::rootPath());
    list_.refresh();
    EXPECT_EQ(texts(list_), QStringList({".hidden", "a0.txt", "b.txt", "c.TXT", "link.txt"}));
    EXPECT_EQ(list_.selectedNames(), QStringList({"b.txt", "c.TXT"}));
    EXPECT_EQ(list_.currentFilePath(), path("c.TXT"));
    EXPECT_EQ(QDir::currentPath(), QDir::rootPath());

    click(list_, 2, Qt::ControlModifier);  // the caret moves to the item it deselects
    EXPECT_EQ(list_.currentFilePath(), "");
    list_.setMultiSelect(false);  // only the caret's item may stay selected
    EXPECT_EQ(list_.selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list_.selectedNames(), QStringList());
    list_.setMultiSelect(true);
    click(list_, 1, Qt::ControlModifier);
    click(list_, 2, Qt::ControlModifier);
    list_.setMultiSelect(false);
    EXPECT_EQ(list_.selectedNames(), QStringList({"b.txt"}));
}

}  // namespace
}  // namespace zolvane::gui
