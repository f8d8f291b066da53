// Whole jobs through the real windows, offscreen: the execute command, the progress windows,
// the overwrite prompt and the compression step with the real archiver library. A user's
// clicks during a job arrive as queued events, handled at the engine's own event rounds.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QWindow>
#include <csignal>
#include <filesystem>
#include <functional>

#include "jobs/window/startup/StopSignals.h"
#include "join/window/TForm3.h"
#include "join/window/TOverWriteForm.h"
#include "window/Activation.h"
#include "mainwindow/DirectoryListBox.h"
#include "mainwindow/DriveComboBox.h"
#include "mainwindow/FileListBox.h"
#include "window/MessageBoxes.h"
#include "platform/Console.h"
#include "split/window/TForm2.h"
#include "tests/mainwindow/AtRound.h"
#include "tests/mainwindow/WindowTest.h"
#include "tests/support/RunProgram.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;
using test::AtRound;
using test::Bytes;


// Answers every overwrite prompt as it appears, by a button or by its close box, and notes
// what it showed and where.
class PromptAnswerer : public QObject {
public:
    explicit PromptAnswerer(std::function<void(TOverWriteForm&)> answer) : answer_(std::move(answer)) {
        qApp->installEventFilter(this);
    }
    ~PromptAnswerer() override { qApp->removeEventFilter(this); }

    std::vector<QString> names;
    std::vector<QPoint> offsets;  // from the progress window

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == OverWriteForm) {
            TOverWriteForm* prompt = OverWriteForm;
            names.push_back(prompt->Label2->text());
            QWidget* progress = Form2 != nullptr ? static_cast<QWidget*>(Form2) : Form3;
            offsets.push_back(prompt->pos() - progress->pos());
            QMetaObject::invokeMethod(
                qApp, [this, prompt] { answer_(*prompt); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<void(TOverWriteForm&)> answer_;
};

class JobsTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        source = test::PatternBytes(2500000, 3);
        test::WriteBytes(dir.file("work/BIG.DAT"), source);
        fs::create_directories(dir.file("out"));
        reopen();
    }

    // A new window, as at a restart, with the drives and settings as they are now.
    void reopen() {
        window.reset();
        window = open();
        window->move(100, 60);
        window->show();
    }

    void choose(const QString& name) {
        window->FileListBox1->refresh();
        const auto found = window->FileListBox1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        window->FileListBox1->setCurrentItem(found.front());
        found.front()->setSelected(true);
    }

    void freeSize(std::int32_t bytes) {
        window->SizeButton3->setChecked(true);
        window->SetFreeSize->setText(QString::number(bytes));
    }

    // The pieces of a set as files, by number.
    static std::vector<Bytes> Pieces(const std::string& folder, const std::string& stem) {
        std::vector<Bytes> pieces;
        for (int number = 0;; ++number) {
            char name[16];
            std::snprintf(name, sizeof name, ".%03d", number);
            const std::string path = folder + "/" + stem + name;
            if (!fs::exists(path)) {
                return pieces;
            }
            pieces.push_back(test::ReadBytes(path));
        }
    }

    Bytes source;
    std::unique_ptr<TForm1> window;
};

struct JobWindowState {
    QPoint offset;
    QString memo1;
    QString memo2;
    int bar = -1;
};

// The split's destination by each rule, the progress window as the job ends, and a join back.
TEST_F(JobsTest, SplitsLandWhereTheRulesSay) {
    struct Case {
        const char* rule;
        std::function<void(TForm1&)> choose;
        std::string folder;  // where the pieces land
        std::string shown;   // how the progress window names them
    };
    const std::vector<Case> cases = {
        {"beside the source", [](TForm1&) {}, dir.file("work"), dir.file("work") + "/"},
        {"the destination box", [&](TForm1& w) {
             w.SetDestChk->setChecked(true);
             w.SplitDestDir = Q(dir.file("out"));
         }, dir.file("out"), dir.file("out") + "/"},
        {"the destination box, a separator at the end", [&](TForm1& w) {
             w.SetDestChk->setChecked(true);
             w.SplitDestDir = Q(dir.file("out") + "/");
         }, dir.file("out"), dir.file("out") + "/"},
        {"automatic sizing", [&](TForm1& w) {
             drives.otherwise = 1000000;
             w.AutoSizeButton->setChecked(true);
         }, dir.file("floppy"), dir.file("floppy") + "/"},
    };
    for (const Case& one : cases) {
        SCOPED_TRACE(one.rule);
        for (const char* piece : {"/BIG.000", "/BIG.001", "/BIG.002"}) {
            fs::remove(one.folder + piece);
        }
        boxes.shown.clear();
        freeSize(1000000);
        one.choose(*window);
        choose("BIG.DAT");
        JobWindowState seen;
        boxes.onShow = [&](const gui::RecordedBox&) {
            seen = {Form2->pos() - window->pos(), Form2->Memo1->toPlainText(),
                    Form2->Memo2->toPlainText(), Form2->ProgressBar1->value()};
        };
        QTest::mouseClick(window->Button1, Qt::LeftButton);
        EXPECT_EQ(boxes.texts(), std::vector<QString>{"分割が終了しました。"});
        EXPECT_EQ(seen.offset, QPoint(32, 32));
        EXPECT_EQ(seen.memo1, work + "/BIG.DAT");
        EXPECT_EQ(seen.memo2.split('\n').size(), 3);
        EXPECT_TRUE(seen.memo2.startsWith(Q(one.shown + "BIG.000"))) << seen.memo2.toStdString();
        EXPECT_EQ(seen.bar, 100);
        EXPECT_EQ(Pieces(one.folder, "BIG").size(), 3u);
        EXPECT_EQ(Form2, nullptr) << "the progress window is gone";
        EXPECT_TRUE(window->isEnabled());
        EXPECT_TRUE(gui::IsActiveWindow(window.get()));
        window->SetDestChk->setChecked(false);
        window->SizeButton1->setChecked(true);
    }
    EXPECT_EQ(window->AutoDrive, floppy) << "the first drive stands for the floppy drive";

    // The window's set is the terminal's, byte for byte, and joins back in the window.
    fs::create_directories(dir.file("floppy/cli"));
    ASSERT_EQ(test::RunProgram(ZOLVANE_CLI, {"split", dir.file("work/BIG.DAT"), "--size", "1000000",
                                             "--dest", dir.file("floppy/cli")},
                               dir.path().string())
                  .exitCode,
              0);
    EXPECT_EQ(Pieces(dir.file("floppy/cli"), "BIG"), Pieces(dir.file("out"), "BIG"));
    fs::create_directories(dir.file("cli-joined"));
    ASSERT_EQ(test::RunProgram(ZOLVANE_CLI, {"join", dir.file("out/BIG.000"), "--dest",
                                             dir.file("cli-joined")},
                               dir.path().string())
                  .exitCode,
              0);
    EXPECT_EQ(test::ReadBytes(dir.file("cli-joined/BIG.DAT")), source);

    boxes.shown.clear();
    window->JoinButton->setChecked(true);
    window->SetDestChk->setChecked(true);
    window->DestDirectoryListBox->setDirectory(Q(dir.file("floppy")));
    window->SrcDirectoryListBox->setDirectory(Q(dir.file("floppy/cli")));
    choose("BIG.000");
    JobWindowState seen;
    boxes.onShow = [&](const gui::RecordedBox&) {
        seen = {Form3->pos() - window->pos(), Form3->Memo1->toPlainText(), Form3->Memo2->toPlainText(),
                Form3->ProgressBar1->value()};
    };
    window->Button1Click();
    EXPECT_EQ(boxes.texts(), std::vector<QString>{"結合が終了しました。"});
    EXPECT_EQ(test::ReadBytes(dir.file("floppy/BIG.DAT")), source);
    EXPECT_EQ(seen.offset, QPoint(32, 32));
    EXPECT_EQ(seen.memo1.split('\n').size(), 3);
    EXPECT_EQ(seen.memo2, floppy + "/BIG.DAT");
    EXPECT_EQ(seen.bar, 100);
    EXPECT_EQ(Form3, nullptr);
}

// A cancel by the button or by the close box stops the job after the block in progress; the
// pieces so far stay, a join leaves its destination as it was, the main window is back.
TEST_F(JobsTest, CancelStopsTheJob) {
    struct Case {
        bool join;
        bool closeBox;
    };
    for (const Case& one : {Case{false, false}, Case{false, true}, Case{true, false}, Case{true, true}}) {
        SCOPED_TRACE(std::string(one.join ? "join" : "split") + (one.closeBox ? ", close box" : ""));
        boxes.shown.clear();
        freeSize(1000000);
        window->SetDestChk->setChecked(true);
        if (one.join) {
            window->SrcDirectoryListBox->setDirectory(Q(dir.file("out")));
            window->JoinButton->setChecked(true);
            window->SetDestChk->setChecked(true);
            window->DestDirectoryListBox->setDirectory(Q(dir.file("floppy")));
            choose("BIG.000");
        } else {
            for (const char* piece : {"out/BIG.000", "out/BIG.001", "out/BIG.002"}) {
                fs::remove(dir.file(piece));
            }
            window->DivideButton->setChecked(true);
            window->SetDestChk->setChecked(true);
            window->DestDirectoryListBox->setDirectory(Q(dir.file("out")));
            choose("BIG.DAT");
        }
        bool hiddenAtOnce = false;
        AtRound(1, [&] {  // after the first block
            QWidget* progress = one.join ? static_cast<QWidget*>(Form3) : Form2;
            if (one.closeBox) {
                progress->close();
                hiddenAtOnce = progress->isHidden();
            } else {
                QTest::mouseClick(one.join ? Form3->Button1 : Form2->CancelButton1, Qt::LeftButton);
            }
        });
        window->Button1Click();
        EXPECT_EQ(boxes.texts(), std::vector<QString>{one.join ? "結合が中止されました。"
                                                               : "分割が中止されました。"});
        EXPECT_EQ(hiddenAtOnce, one.closeBox);
        EXPECT_TRUE(window->isEnabled());
        EXPECT_EQ(Form2, nullptr);
        EXPECT_EQ(Form3, nullptr);
        if (one.join) {
            EXPECT_TRUE(fs::is_empty(dir.file("floppy")));
        } else {
            EXPECT_TRUE(fs::exists(dir.file("out/BIG.000")));
        }
        // A whole split again, for the joins to come.
        if (!one.join) {
            boxes.shown.clear();
            fs::remove(dir.file("out/BIG.000"));
            window->Button1Click();
            ASSERT_EQ(boxes.texts(), std::vector<QString>{"分割が終了しました。"});
        }
    }
}

// A logout or a kill during a job stops it as the user's Cancel would, then closes the window.
TEST_F(JobsTest, AStopSignalCancelsTheJobAndClosesTheWindow) {
    freeSize(1000000);
    window->SetDestChk->setChecked(true);
    window->DestDirectoryListBox->setDirectory(Q(dir.file("out")));
    choose("BIG.DAT");
    window->Button1Click();  // a whole set to join
    for (const int stop : {SIGTERM, SIGHUP}) {
        for (const bool join : {false, true}) {
            SCOPED_TRACE(std::to_string(stop) + (join ? " join" : " split"));
            window = open();
            window->show();
            gui::WatchStopSignals(*window);
            window->SetDestChk->setChecked(true);
            if (join) {
                window->SrcDirectoryListBox->setDirectory(Q(dir.file("out")));
                window->JoinButton->setChecked(true);
                window->DestDirectoryListBox->setDirectory(Q(dir.file("floppy")));
                choose("BIG.000");
            } else {
                freeSize(1000000);
                window->SplitDestDir = Q(dir.file("work"));
                choose("BIG.DAT");
            }
            AtRound(1, [stop] { raise(stop); });  // after the first block
            window->Button1Click();
            QCoreApplication::processEvents();
            EXPECT_FALSE(window->isVisible()) << "the window closes once the job has stopped";
            if (join) {
                EXPECT_TRUE(fs::is_empty(dir.file("floppy"))) << "the destination is as it was";
            } else {
                EXPECT_TRUE(fs::exists(dir.file("work/BIG.000")));
                EXPECT_FALSE(fs::exists(dir.file("work/BIG.002")));
                for (const char* piece : {"work/BIG.000", "work/BIG.001"}) {
                    fs::remove(dir.file(piece));
                }
            }
            platform::StopWatchingInterrupt();
            gui::StopAsking(false);
        }
    }
}

// Each button of the prompt, and its close box, which answers Cancel; "overwrite all" lasts
// for its own job only.
TEST_F(JobsTest, TheOverwritePromptAnswers) {
    freeSize(1000000);
    choose("BIG.DAT");
    window->Button1Click();  // BIG.000 to BIG.002 now exist
    const auto stamp = fs::last_write_time(dir.file("work/BIG.001"));
    struct Case {
        const char* what;
        std::function<void(TOverWriteForm&)> answer;
        std::size_t questions;
        const char* message;  // empty: none
    };
    const std::vector<Case> cases = {
        {"overwrite", [](TOverWriteForm& p) { QTest::mouseClick(p.Button1, Qt::LeftButton); }, 3,
         "分割が終了しました。"},
        {"overwrite all", [](TOverWriteForm& p) { QTest::mouseClick(p.Button2, Qt::LeftButton); }, 1,
         "分割が終了しました。"},
        {"overwrite all, the next job", [](TOverWriteForm& p) { p.Button2Click(); }, 1,
         "分割が終了しました。"},
        {"cancel", [](TOverWriteForm& p) { QTest::mouseClick(p.Button3, Qt::LeftButton); }, 1, ""},
        {"close box", [](TOverWriteForm& p) { p.close(); }, 1, ""},
    };
    for (const Case& one : cases) {
        SCOPED_TRACE(one.what);
        boxes.shown.clear();
        PromptAnswerer answerer(one.answer);
        window->Button1Click();
        EXPECT_EQ(answerer.names.size(), one.questions);
        EXPECT_EQ(answerer.names.front(), work + "/BIG.000") << "the piece as the split names it";
        EXPECT_EQ(answerer.offsets.front(), QPoint(32, 32));
        EXPECT_EQ(boxes.texts(), std::string(one.message).empty()
                                     ? std::vector<QString>{}
                                     : std::vector<QString>{QString::fromUtf8(one.message)});
        EXPECT_EQ(OverWriteForm, nullptr);
        EXPECT_TRUE(window->isEnabled());
    }
    EXPECT_EQ(test::ReadBytes(dir.file("work/BIG.001")).size(), 1000000u);
    EXPECT_NE(fs::last_write_time(dir.file("work/BIG.001")), stamp);

    // A join's prompt names the file it would replace, and the recorded name over it.
    window->JoinButton->setChecked(true);
    choose("BIG.000");
    QString tip;
    PromptAnswerer answerer([&](TOverWriteForm& p) {
        tip = p.Label2->toolTip();
        p.Button3Click();
    });
    boxes.shown.clear();
    window->Button1Click();
    std::string recorded = dir.file("work/BIG.DAT");
    std::replace(recorded.begin(), recorded.end(), '/', '\\');
    EXPECT_EQ(answerer.names, std::vector<QString>{work + "/BIG.DAT"});
    EXPECT_EQ(tip, Q(recorded));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(test::ReadBytes(dir.file("work/BIG.DAT")), source);
}

// The engines' boxes keep their fixed texts and name the file concerned, with the system's
// reason, below them.
TEST_F(JobsTest, EngineBoxesNameTheFileAndTheReason) {
    freeSize(1000000);
    window->SetDestChk->setChecked(true);
    window->SplitDestDir = Q(dir.file("out"));
    choose("BIG.DAT");
    window->Button1Click();  // a set to join
    const std::string out = dir.file("out");
    struct Case {
        const char* what;
        std::function<void()> prepare;
        const char* text;
        std::string detail;
    };
    const std::vector<Case> cases = {
        {"a destination that is gone", [&] { window->SplitDestDir = Q(dir.file("gone")); },
         "分割ファイルを作成できません。",
         dir.file("gone/BIG.000") + ": No such file or directory"},
        {"a source that is gone", [&] { fs::remove(dir.file("work/BIG.DAT")); },
         "ファイルが開けません。\n分割を中止します。",
         dir.file("work/BIG.DAT") + ": No such file or directory"},
        {"a missing piece",
         [&] {
             window->JoinButton->setChecked(true);
             window->SrcDirectoryListBox->setDirectory(Q(out));
             window->DestDirectoryListBox->setDirectory(floppy);
             choose("BIG.000");
             fs::rename(out + "/BIG.001", out + "/BIG.KEPT");
         },
         "次のディスクを入れてください。\n\nフロッピーディスクからでない場合、\n"
         "ファイルが指定のフォルダに見つかりませんでした。",
         out + "/BIG.001: No such file or directory"},
        {"a piece of another number", [&] { fs::copy_file(out + "/BIG.002", out + "/BIG.001"); },
         "ファイルの拡張子が変更されています。\n結合を中止します。", out + "/BIG.001"},
    };
    for (const Case& one : cases) {
        SCOPED_TRACE(one.what);
        one.prepare();
        boxes.shown.clear();
        window->Button1Click();
        ASSERT_FALSE(boxes.shown.empty());
        EXPECT_EQ(boxes.shown[0].text, QString::fromUtf8(one.text));
        EXPECT_EQ(boxes.shown[0].detail, Q(one.detail));
    }
}

// The window manager keeps each window of a job above the one it waits on: the progress window
// above the main window, the prompt above the greyed progress window (tied to it by the window
// system only: as a Qt child it would be greyed too), the job's boxes above the progress
// window. The greyed progress window's close box does nothing, so no second job can start
// inside the first while the prompt waits.
TEST_F(JobsTest, TheWindowsOfAJobStayAboveTheOnesTheyWaitOn) {
    freeSize(1000000);
    choose("BIG.DAT");
    window->Button1Click();  // BIG.000 to BIG.002 now exist, and BIG.DAT for a join
    for (const bool join : {false, true}) {
        SCOPED_TRACE(join ? "join" : "split");
        if (join) {
            window->JoinButton->setChecked(true);
            choose("BIG.000");
        }
        struct Seen {
            bool progressAbove = false;
            bool promptAbove = false;
            bool promptEnabled = false;
            bool closeIgnored = false;
            bool boxAbove = false;
        } seen;
        const auto progress = [join]() -> QWidget* {
            return join ? static_cast<QWidget*>(Form3) : Form2;
        };
        PromptAnswerer answerer([&](TOverWriteForm& prompt) {
            // The window system keeps only a dialog above the window it is transient for.
            seen.progressAbove =
                progress()->windowType() == Qt::Dialog &&
                progress()->windowHandle()->transientParent() == window->windowHandle();
            seen.promptAbove =
                prompt.windowHandle()->transientParent() == progress()->windowHandle();
            seen.promptEnabled = prompt.isEnabled();
            progress()->close();
            seen.closeIgnored = progress()->isVisible() && !window->isEnabled();
            prompt.Button2Click();
        });
        boxes.shown.clear();
        boxes.onShow = [&](const gui::RecordedBox&) {
            seen.boxAbove = gui::BoxOwner() == progress();
        };
        window->Button1Click();
        EXPECT_EQ(boxes.texts(),
                  std::vector<QString>{join ? "結合が終了しました。" : "分割が終了しました。"});
        EXPECT_TRUE(seen.progressAbove);
        EXPECT_TRUE(seen.promptAbove);
        EXPECT_TRUE(seen.promptEnabled);
        EXPECT_TRUE(seen.closeIgnored);
        EXPECT_TRUE(seen.boxAbove);
        EXPECT_EQ(gui::BoxOwner(), nullptr);
    }
    EXPECT_EQ(test::ReadBytes(dir.file("work/BIG.DAT")), source);
}

// Packed with the real library: split and deleted, joined and unpacked; packed alone and
// kept; the dialog cancelled; the library busy; nothing chosen.
TEST_F(JobsTest, CompressionWithTheRealLibrary) {
    ASSERT_TRUE(window->ArchiverReady);
    test::WriteBytes(dir.file("work/a.txt"), test::PatternBytes(30000, 5));
    test::WriteBytes(dir.file("work/b.txt"), Bytes(80000, 'b'));
    window->PressChkBox->setChecked(true);
    freeSize(20000);
    // Another folder in the dialog than the source's: the names are still found there, and
    // the pieces land beside the archive.
    boxes.nextSavePaths = {Q(dir.file("out/MAIL.LZH"))};
    choose("a.txt");
    const auto also = window->FileListBox1->findItems("b.txt", Qt::MatchExactly);
    also.front()->setSelected(true);
    window->Button1Click();
    EXPECT_EQ(boxes.texts(), std::vector<QString>{"分割が終了しました。"});
    EXPECT_EQ(QDir::currentPath(), work) << "the packing folder is current only while it packs";
    // An archive to be split is deleted afterwards: the dialog offers no existing file, which
    // is refused after it, as the terminal refuses it.
    EXPECT_EQ(boxes.saveDialogsAsking, std::vector<bool>{false});
    EXPECT_FALSE(fs::exists(dir.file("out/MAIL.LZH"))) << "the archive goes after the split";
    EXPECT_TRUE(fs::exists(dir.file("out/MAIL.000")));

    window->JoinButton->setChecked(true);
    window->SrcDirectoryListBox->setDirectory(Q(dir.file("out")));
    window->SetDestChk->setChecked(true);
    window->DestDirectoryListBox->setDirectory(floppy);
    choose("MAIL.000");
    boxes.shown.clear();
    window->Button1Click();
    EXPECT_EQ(boxes.texts(), std::vector<QString>{"結合が終了しました。"});
    EXPECT_EQ(test::ReadBytes(dir.file("floppy/a.txt")), test::PatternBytes(30000, 5));
    EXPECT_EQ(test::ReadBytes(dir.file("floppy/b.txt")), Bytes(80000, 'b'));
    EXPECT_FALSE(fs::exists(dir.file("floppy/MAIL.LZH")));

    // Joined again over a file the user has changed since: asked first, by name. Cancel
    // unpacks nothing and keeps the archive; overwrite all replaces both files.
    test::WriteBytes(dir.file("floppy/a.txt"), Bytes(10, 'e'));
    boxes.shown.clear();
    window->Button1Click();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].caption, "警告");
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::OverwriteAllCancel);
    EXPECT_TRUE(boxes.shown[0].text.contains("    a.txt\n    b.txt\n"));
    EXPECT_EQ(boxes.shown[1].text,
              "LZHファイルの展開を中止しました。\n結合したLZHファイルは結合先に残してあります。");
    EXPECT_EQ(test::ReadBytes(dir.file("floppy/a.txt")), Bytes(10, 'e'));
    EXPECT_TRUE(fs::exists(dir.file("floppy/MAIL.LZH")));
    fs::remove(dir.file("floppy/MAIL.LZH"));
    boxes.shown.clear();
    boxes.nextAnswers = {MessageReply::Ok};
    window->Button1Click();
    EXPECT_EQ(boxes.texts().back(), "結合が終了しました。");
    EXPECT_EQ(test::ReadBytes(dir.file("floppy/a.txt")), test::PatternBytes(30000, 5));

    // A packed split cancelled: the archive goes all the same.
    window->DivideButton->setChecked(true);
    window->SrcDirectoryListBox->setDirectory(work);
    boxes.shown.clear();
    boxes.nextSavePaths = {work + "/GONE.LZH"};
    AtRound(1, [&] { Form2->CancelButton1Click(); });
    window->Button1Click();
    EXPECT_EQ(boxes.texts(), std::vector<QString>{"分割が中止されました。"});
    EXPECT_FALSE(fs::exists(dir.file("work/GONE.LZH")));
    EXPECT_TRUE(fs::exists(dir.file("work/GONE.000")));

    // Packed alone: no message, the archive stays and shows in the refreshed list.
    window->PressOnlyBox->setChecked(true);
    boxes.shown.clear();
    boxes.nextSavePaths = {work + "/ALONE.LZH"};
    window->Button1Click();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(fs::exists(dir.file("work/ALONE.LZH")));
    EXPECT_EQ(window->FileListBox1->findItems("ALONE.LZH", Qt::MatchExactly).size(), 1);
    EXPECT_EQ(boxes.saveDialogsAsking.back(), false) << "added to, not replaced";

    // Split, the same name is refused: the archive would be deleted after the split.
    window->PressOnlyBox->setChecked(false);
    const Bytes alone = test::ReadBytes(dir.file("work/ALONE.LZH"));
    boxes.nextSavePaths = {work + "/ALONE.LZH"};
    window->Button1Click();
    EXPECT_EQ(boxes.texts(), (std::vector<QString>{"同名のファイルが既にあります。\n別の書庫名を指定してください。",
                                                   "分割に失敗しました"}));
    EXPECT_EQ(test::ReadBytes(dir.file("work/ALONE.LZH")), alone);
    boxes.shown.clear();

    // The dialog cancelled, then the library busy: the step's own box, then the command's.
    window->Button1Click();
    window->UnlhaGetRunningProc = [] { return 1; };
    window->Button1Click();
    EXPECT_EQ(boxes.texts(), (std::vector<QString>{"分割に失敗しました",
                                                   "UNLHA32.DLLが使用中です。\n分割を中止します。",
                                                   "分割に失敗しました"}));
    EXPECT_EQ(boxes.shown[0].caption, "情報");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Information);
}

// The compression's save dialog opens beside the files it packs, then where the last archive
// went; the execute command's boxes about the archive say which file and why.
TEST_F(JobsTest, CompressionTheDialogsFolderAndWhatWentWrong) {
    test::WriteBytes(dir.file("floppy/c.txt"), Bytes(3000, 'c'));
    window->PressChkBox->setChecked(true);
    window->PressOnlyBox->setChecked(true);
    window->SrcDirectoryListBox->setDirectory(floppy);
    boxes.nextSavePaths = {Q(dir.file("out/FIRST.LZH"))};
    window->Button1Click();
    window->SrcDirectoryListBox->setDirectory(work + "/sub");
    window->Button1Click();  // cancelled
    EXPECT_EQ(boxes.saveDialogFolders, (std::vector<QString>{floppy, Q(dir.file("out"))}));
    EXPECT_TRUE(fs::exists(dir.file("out/FIRST.LZH")));

    // An archive that cannot be made, and one that was gone before it could be deleted.
    window->PressOnlyBox->setChecked(false);
    window->SrcDirectoryListBox->setDirectory(work);
    test::WriteBytes(dir.file("work/a.txt"), Bytes(3000, 'a'));
    choose("a.txt");
    freeSize(1000000);
    const QString unmade = Q(dir.file("gone/MAIL.LZH"));
    boxes.shown.clear();
    boxes.nextSavePaths = {unmade, work + "/MAIL.LZH"};
    window->Button1Click();
    AtRound(1, [&] { fs::remove(dir.file("work/MAIL.LZH")); });
    window->Button1Click();
    ASSERT_EQ(boxes.texts(), (std::vector<QString>{"分割に失敗しました", "分割が終了しました。",
                                                   "作成したLZHファイルの削除に失敗しました。"}));
    EXPECT_TRUE(boxes.shown[0].detail.contains(unmade)) << boxes.shown[0].detail.toStdString();
    EXPECT_TRUE(boxes.shown[0].detail.endsWith("No such file or directory"));
    EXPECT_EQ(boxes.shown[2].detail, work + "/MAIL.LZH: No such file or directory");
}

// Automatic sizing starts on the removable drive, not on the system's disk, and writes to the
// drive by its device's name: started without a disk, the split asks for one and writes to it
// wherever it is mounted. The name is what the settings keep.
TEST_F(JobsTest, AutomaticSizingWritesToTheDriveByItsName) {
    drives.devices = {{"/dev/fake-fd0", ""}};
    drives.roots = {"/dev/fake-fd0", "/"};
    reopen();
    EXPECT_EQ(window->AutoDrive, "/dev/fake-fd0");
    EXPECT_EQ(window->AutoDriveComboBox->currentText(), "/dev/fake-fd0 (FAKE FLOPPY)");
    window->AutoSizeButton->setChecked(true);
    window->SaveSettingClick();
    EXPECT_EQ(store().value("Setting/DivideDrive").toString(), "/dev/fake-fd0");

    choose("BIG.DAT");
    drives.otherwise = 1000000;
    boxes.nextAnswers = {MessageReply::Retry};
    boxes.onShow = [&](const gui::RecordedBox&) {
        drives.devices["/dev/fake-fd0"] = dir.file("floppy");  // a disk goes in and is mounted
    };
    window->Button1Click();
    EXPECT_EQ(boxes.texts(), (std::vector<QString>{"フロッピーディスクを入れてください。",
                                                   "分割が終了しました。"}));
    EXPECT_EQ(Pieces(dir.file("floppy"), "BIG").size(), 3u);
}

// A saved drive whose device is unplugged stays chosen at the restart: the split asks for its
// disk and writes nowhere else, and once the drive is back the pieces go to its disk.
TEST_F(JobsTest, ASavedDriveThatIsAbsentAsksForItsDisk) {
    const std::string gone = "/dev/disk/by-id/usb-GONE";
    save({{"Setting/DivideMode", 5}, {"Setting/FreeSize", 1}, {"Setting/DivideDrive", Q(gone)}});
    reopen();
    EXPECT_TRUE(window->AutoSizeButton->isChecked());
    EXPECT_EQ(window->AutoDrive, Q(gone));
    EXPECT_EQ(window->AutoDriveComboBox->currentText(), Q(gone));
    EXPECT_EQ(window->AutoDriveComboBox->drives(), QStringList({floppy, "/", Q(gone)}));

    // The stick goes back in while the second question is up.
    choose("BIG.DAT");
    drives.otherwise = 1000000;
    boxes.nextAnswers = {MessageReply::Retry, MessageReply::Retry};
    boxes.onShow = [&](const gui::RecordedBox&) {
        if (boxes.shown.size() == 2) {
            EXPECT_EQ(Form2, nullptr) << "no job before the drive is there";
            drives.devices = {{gone, dir.file("out")}};
            drives.roots.insert(drives.roots.begin(), gone);
        }
    };
    window->Button1Click();
    EXPECT_EQ(boxes.texts(), (std::vector<QString>{"フロッピーディスクを入れてください。",
                                                   "フロッピーディスクを入れてください。",
                                                   "分割が終了しました。"}));
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::RetryCancel);
    EXPECT_EQ(Pieces(dir.file("out"), "BIG").size(), 3u);
    for (const char* elsewhere : {"", "floppy", "work"}) {
        EXPECT_TRUE(Pieces(dir.file(elsewhere), "BIG").empty()) << elsewhere;
    }
}

TEST_F(JobsTest, NothingChosenOpensNoWindow) {
    for (QRadioButton* mode : {window->DivideButton, window->JoinButton}) {
        mode->setChecked(true);
        window->FileListBox1->clearSelection();
        boxes.shown.clear();
        bool windowOpen = true;
        boxes.onShow = [&](const gui::RecordedBox&) { windowOpen = Form2 != nullptr || Form3 != nullptr; };
        window->Button1Click();
        EXPECT_EQ(boxes.texts(), std::vector<QString>{mode == window->DivideButton
                                                          ? "分割するファイルを指定してください"
                                                          : "結合するファイルを指定してください"});
        EXPECT_EQ(boxes.shown[0].caption, "エラー");
        EXPECT_FALSE(windowOpen);
        EXPECT_TRUE(window->isEnabled());
    }
}

}  // namespace
}  // namespace zolvane
