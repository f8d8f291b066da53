// Pictures of the windows for the README and for checking the layout by eye: every page of
// the main window in split mode and in join mode, the settings page with long drive names (the
// box closed and open), then a split in progress and the overwrite prompt, on a real display
// (Xvfb will do). Settings and files are made up in a scratch
// folder, so the user's own stay untouched; message boxes are answered unseen.
// Usage: zolvane-screenshots OUTPUT_FOLDER
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

#include "jobs/window/startup/ZolvaneApplication.h"
#include "join/window/TOverWriteForm.h"
#include "mainwindow/DriveComboBox.h"
#include "mainwindow/FileListBox.h"
#include "window/MessageBoxes.h"
#include "mainwindow/TForm1.h"
#include "tests/mainwindow/AtRound.h"
#include "tests/support/FakeDrives.h"

namespace {

using zolvane::test::AtRound;

void MakeSampleFolder(const QString& root) {
    QDir(root).mkpath(QStringLiteral("docs/letters"));
    QDir(root).mkpath(QStringLiteral("docs/photos"));
    for (const char* name : {"REPORT.DOC", "REPORT.000", "REPORT.001", "REPORT.002", "memo.txt",
                             "backup.tar.gz", "backup.000", ".hidden"}) {
        QFile file(root + QStringLiteral("/docs/") + QString::fromLatin1(name));
        file.open(QIODevice::WriteOnly);
        file.write("sample");
    }
    QFile video(root + QStringLiteral("/docs/video.avi"));
    video.open(QIODevice::WriteOnly);
    video.write(QByteArray(3000000, 'v'));
}

bool Save(const QPixmap& picture, const QString& file) {
    if (!picture.save(file)) {
        std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

// The whole screen: the main window with the job's windows beside it.
QPixmap Screen(const QWidget& window) {
    return window.screen()->grabWindow(0, 0, 0, 560, 380);
}


// Takes the picture of the overwrite prompt when it shows, answers "overwrite all", then
// takes the picture of the split going on at the next round of events.
class PromptPicture : public QObject {
public:
    PromptPicture(const QWidget& window, QString promptFile, QString progressFile)
        : window_(window), file_(std::move(promptFile)), progressFile_(std::move(progressFile)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == OverWriteForm) {
            QMetaObject::invokeMethod(
                qApp,
                [this] {
                    QCoreApplication::processEvents();
                    Save(Screen(window_), file_);
                    OverWriteForm->Button2->click();
                    AtRound(1, [this] {
                        QCoreApplication::processEvents();
                        Save(Screen(window_), progressFile_);
                    });
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    const QWidget& window_;
    QString file_;
    QString progressFile_;
};

// Removable drives as a desktop shows them, a disk mounted at a folder of its long label and a
// drive without a disk: the narrow automatic-drive box and its open list must keep them readable.
bool DrawLongDriveNames(const QString& output) {
    zolvane::test::FakeDrives drives;
    drives.devices = {{"/dev/disk/by-id/usb-Generic_Flash_Disk_0123456789AB-0:0",
                       "/media/root/PHOTOS_2026_SUMMER"},
                      {"/dev/sdc", ""}};
    for (const auto& [device, folder] : drives.devices) {
        drives.roots.push_back(device);
    }
    drives.roots.insert(drives.roots.end(), {"/", "/home"});
    TForm1 window(drives);
    window.move(40, 40);
    window.show();
    window.AutoSizeButton->setChecked(true);
    window.PageControl1->setCurrentWidget(window.SetOption);
    QCoreApplication::processEvents();
    if (!Save(window.screen()->grabWindow(window.winId()),
              output + QStringLiteral("/settings-long-drives.png"))) {
        return false;
    }
    window.AutoDriveComboBox->showPopup();
    QCoreApplication::processEvents();
    const bool saved =
        Save(Screen(window), output + QStringLiteral("/settings-drive-list-open.png"));
    window.AutoDriveComboBox->hidePopup();
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zolvane-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    // Taken before the program moves the current folder to its sample files.
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    zolvane::gui::ZolvaneApplication application(argc, argv, false);
    QTemporaryDir scratch;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.path());
    MakeSampleFolder(scratch.path());
    QDir::setCurrent(scratch.path() + QStringLiteral("/docs"));
    QDir().mkpath(output);

    // Before the main window: each window takes the program's main-window pointer while it lives.
    if (!DrawLongDriveNames(output)) {
        return 1;
    }
    TForm1 window;
    window.move(40, 40);
    window.show();
    const char* const pages[] = {"source", "destination", "settings", "version"};
    zolvane::gui::MessageBoxRecorder unseenBoxes;
    for (const bool join : {false, true}) {
        (join ? window.JoinButton : window.DivideButton)->setChecked(true);
        for (int page = 0; page < 4; ++page) {
            window.PageControl1->setCurrentIndex(page);
            // The longest mini-help sentence, on the page of its control.
            if (window.PageControl1->currentWidget() == window.SetOption && !join) {
                window.MouseMovedOver(window.AutoSizeButton);
            }
            QCoreApplication::processEvents();
            const QString file = QStringLiteral("%1/%2-%3.png")
                                     .arg(output, join ? QStringLiteral("join") : QStringLiteral("split"),
                                          QString::fromLatin1(pages[page]));
            if (!Save(window.screen()->grabWindow(window.winId()), file)) {
                return 1;
            }
        }
    }

    // A split of a file whose first piece is there already: the prompt, then the progress.
    window.DivideButton->setChecked(true);
    window.PageControl1->setCurrentIndex(0);
    window.SizeButton3->setChecked(true);
    window.SetFreeSize->setText(QStringLiteral("1000000"));
    QFile old(QStringLiteral("video.000"));
    old.open(QIODevice::WriteOnly);
    old.close();
    window.FileListBox1->refresh();
    const auto video = window.FileListBox1->findItems(QStringLiteral("video.avi"), Qt::MatchExactly);
    window.FileListBox1->setCurrentItem(video.value(0));
    PromptPicture prompt(window, output + QStringLiteral("/job-overwrite-prompt.png"),
                         output + QStringLiteral("/job-split-in-progress.png"));
    qApp->installEventFilter(&prompt);
    window.Button1Click();
    return 0;
}
