// Times a split and a join of one file through the window program (offscreen, the real
// bindings and windows) and through zolvane-cli, in the same run; prints the best of RUNS
// runs of each and the window's time as a multiple of the terminal's.
// Usage: window-job-bench FILE WORKDIR ZOLVANE_CLI [RUNS]
#include <QCheckBox>
#include <QDir>
#include <QRadioButton>
#include <QSettings>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include <unistd.h>

#include "jobs/window/startup/ZolvaneApplication.h"
#include "mainwindow/DirectoryListBox.h"
#include "mainwindow/FileListBox.h"
#include "window/MessageBoxes.h"
#include "mainwindow/TForm1.h"

namespace {

namespace fs = std::filesystem;

double Seconds(const std::function<void()>& job) {
    const auto start = std::chrono::steady_clock::now();
    job();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Fresh(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
}

// Runs the two jobs RUNS times each, taking turns at going first, each from a clean start
// with no dirty pages left by the one before (writeback would slow whichever came later);
// keeps the best time of each.
std::pair<double, double> BestOfBoth(int runs, const fs::path& firstOutput,
                                     const std::function<void()>& first,
                                     const fs::path& secondOutput,
                                     const std::function<void()>& second) {
    double bestFirst = 1e300, bestSecond = 1e300;
    const auto timeFirst = [&] {
        Fresh(firstOutput);
        sync();
        bestFirst = std::min(bestFirst, Seconds(first));
    };
    const auto timeSecond = [&] {
        Fresh(secondOutput);
        sync();
        bestSecond = std::min(bestSecond, Seconds(second));
    };
    for (int run = 0; run < runs; ++run) {
        if (run % 2 == 0) {
            timeFirst();
            timeSecond();
        } else {
            timeSecond();
            timeFirst();
        }
    }
    return {bestFirst, bestSecond};
}

void Choose(TForm1& window, const QString& name) {
    window.FileListBox1->refresh();
    const auto found = window.FileListBox1->findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) {
        std::fprintf(stderr, "window-job-bench: %s is not listed\n", qPrintable(name));
        std::exit(1);
    }
    window.FileListBox1->setCurrentItem(found.front());
    found.front()->setSelected(true);
}

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "window-job-bench: failed: %s\n", command.c_str());
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: window-job-bench FILE WORKDIR ZOLVANE_CLI [RUNS]\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const fs::path file = fs::absolute(argv[1]);
    const fs::path work = fs::absolute(argv[2]);
    const std::string cli = argv[3];
    const int runs = argc > 4 ? std::atoi(argv[4]) : 3;
    zolvane::gui::ZolvaneApplication application(argc, argv, false);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString((work / "config").string()));
    zolvane::gui::MessageBoxRecorder unseenBoxes;
    QDir::setCurrent(QString::fromStdString(file.parent_path().string()));
    TForm1 window;
    window.show();
    const QString name = QString::fromStdString(file.filename().string());
    const std::string stem = file.stem().string();

    const auto [cliSplit, windowSplit] = BestOfBoth(
        runs, work / "cli-pieces",
        [&] {
            Shell(cli + " split '" + file.string() + "' --dest '" +
                  (work / "cli-pieces").string() + "' >/dev/null 2>&1");
        },
        work / "window-pieces",
        [&] {
            window.DivideButton->setChecked(true);
            window.SetDestChk->setChecked(true);
            window.SplitDestDir = QString::fromStdString((work / "window-pieces").string());
            Choose(window, name);
            window.Button1Click();
        });
    const auto [cliJoin, windowJoin] = BestOfBoth(
        runs, work / "cli-out",
        [&] {
            Shell(cli + " join '" + (work / "cli-pieces" / (stem + ".000")).string() +
                  "' --dest '" + (work / "cli-out").string() + "' >/dev/null 2>&1");
        },
        work / "window-out",
        [&] {
            window.JoinButton->setChecked(true);
            window.SetDestChk->setChecked(true);
            window.JoinDestDir = QString::fromStdString((work / "window-out").string());
            window.SrcDirectoryListBox->setDirectory(
                QString::fromStdString((work / "window-pieces").string()));
            Choose(window, QString::fromStdString(stem + ".000"));
            window.Button1Click();
        });
    const auto texts = unseenBoxes.texts();
    const bool allDone = std::count(texts.begin(), texts.end(), QStringLiteral("分割が終了しました。")) == runs &&
                         std::count(texts.begin(), texts.end(), QStringLiteral("結合が終了しました。")) == runs;
    std::printf("split: window %.3f s, zolvane-cli %.3f s, ratio %.2f\n", windowSplit, cliSplit,
                windowSplit / cliSplit);
    std::printf("join:  window %.3f s, zolvane-cli %.3f s, ratio %.2f\n", windowJoin, cliJoin,
                windowJoin / cliJoin);
    if (!allDone) {
        std::fprintf(stderr, "window-job-bench: not every job finished\n");
        return 1;
    }
    return 0;
}
