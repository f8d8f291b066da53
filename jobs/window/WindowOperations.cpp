#include "jobs/window/WindowOperations.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>

#include "jobs/JobMessages.h"
#include "jobs/UnpackCheck.h"
#include "join/window/TForm3.h"
#include "join/window/TOverWriteForm.h"
#include "platform/Console.h"
#include "split/window/TForm2.h"
#include "window/Activation.h"
#include "window/MessageBoxes.h"
#include "window/WindowParts.h"

namespace zolvane::gui {
namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// The files at risk by name, a screenful at most: the rest only counted.
QString ReplaceQuestion(const ReplaceCheck& check) {
    constexpr std::size_t kListed = 8;
    QString text = QStringLiteral("LZHファイルを展開すると、結合先の次のファイルが上書きされます。\n\n");
    std::size_t shown = 0;
    for (; shown < check.names.size() && shown < kListed; ++shown) {
        text += QStringLiteral("    ") + QString::fromStdString(check.names[shown]) + QLatin1Char('\n');
    }
    if (check.count > shown) {
        text += QStringLiteral("    ほか %1 個\n").arg(static_cast<qulonglong>(check.count - shown));
    }
    return text + QStringLiteral("\nすべて上書きしますか？");
}

}  // namespace

void EventRounds::run() {
    if (!sinceLast_.isValid() || sinceLast_.elapsed() >= kIntervalMs) {
        QCoreApplication::processEvents();
        sinceLast_.restart();
    }
}

SizeChoice WindowSplitOperations::sizeChoice() {
    return size_;
}

std::int32_t WindowSplitOperations::pieceSize() {
    return freeSize_;
}

std::uint8_t WindowSplitOperations::archiveMark() {
    return mark_;
}

void WindowSplitOperations::showSource(const std::string& path) {
    progress_.Memo1->setPlainText(Text(path));
}

void WindowSplitOperations::showPiece(const std::string& path) {
    progress_.Memo2->appendPlainText(Text(path));
}

void WindowSplitOperations::showProgress(int percent) {
    progress_.ProgressBar1->setValue(percent);
}

void WindowSplitOperations::processEvents() {
    rounds_.run();
}

// The user's cancel is the progress window handing the activation back to the main window.
bool WindowSplitOperations::cancelRequested() {
    return IsActiveWindow(&main_) || platform::Interrupted();
}

OverwriteAnswer WindowSplitOperations::askOverwrite(const std::string& piecePath) {
    return AskOverwrite(&progress_, Text(piecePath));
}

MessageReply WindowSplitOperations::message(const std::string& text, const std::string& caption,
                                            MessageIcon icon, MessageButtons buttons,
                                            const std::string& detail) {
    return ShowMessage(text, caption, icon, buttons, detail);
}

void WindowSplitOperations::release() {
    ReleaseWindow(&main_);
}

void WindowJoinOperations::showPiece(const std::string& path) {
    progress_.Memo1->appendPlainText(Text(path));
}

void WindowJoinOperations::showOutput(const std::string& path) {
    progress_.Memo2->setPlainText(Text(path));
}

void WindowJoinOperations::showProgress(int percent) {
    progress_.ProgressBar1->setValue(percent);
}

void WindowJoinOperations::processEvents() {
    rounds_.run();
}

bool WindowJoinOperations::cancelRequested() {
    return IsActiveWindow(&main_) || platform::Interrupted();
}

// The prompt names the file that would be replaced; the name the set recorded, which may
// be another folder's, only over it.
OverwriteAnswer WindowJoinOperations::askOverwrite(const std::string& recordedName,
                                                   const std::string& outputPath) {
    return AskOverwrite(&progress_, Text(outputPath), Text(recordedName));
}

bool WindowJoinOperations::archiverReady() {
    return archiver_.ArchiverReady;
}

bool WindowJoinOperations::archiverBusy() {
    return archiver_.busy();
}

int WindowJoinOperations::runArchiver(const std::string& command, std::string& report) {
    return archiver_.run(command, report, reinterpret_cast<void*>(main_.winId()));
}

// Files of the destination that the archive would replace are asked about first, as the
// joined file itself is; nothing is asked when none would be replaced.
bool WindowJoinOperations::confirmUnpack(const std::string& archivePath,
                                         const std::string& folder) {
    std::string report;
    const auto check = CheckUnpack(archiver_, archivePath, folder, report);
    if (!check) {
        ShowMessage(job_messages::kCannotCheckUnpack, report, &progress_);
        return false;
    }
    if (check->count == 0) {
        return true;
    }
    return ShowMessage(ReplaceQuestion(*check), QStringLiteral("警告"), MessageIcon::Warning,
                       MessageButtons::OverwriteAllCancel, &progress_) == MessageReply::Ok;
}

MessageReply WindowJoinOperations::message(const std::string& text, const std::string& caption,
                                           MessageIcon icon, MessageButtons buttons,
                                           const std::string& detail) {
    return ShowMessage(text, caption, icon, buttons, detail);
}

void WindowJoinOperations::release() {
    ReleaseWindow(&main_);
}

OverwriteAnswer AskOverwrite(QWidget* progressWindow, const QString& name, const QString& toolTip) {
    if (AskingStopped()) {
        return OverwriteAnswer::Cancel;
    }
    auto* prompt = new TOverWriteForm(progressWindow);
    OverWriteForm = prompt;
    prompt->move(progressWindow->x() + 32, progressWindow->y() + 32);
    prompt->Label2->setText(name);
    prompt->Label2->setToolTip(toolTip);
    prompt->Label2->adjustSize();
    // A long path widens the prompt rather than being cut off.
    const int needed = prompt->Label2->geometry().right() + 13;
    if (needed > prompt->width()) {
        prompt->setFixedWidth(needed);
    }
    // Above the progress window, which is greyed while the prompt is up: a click on it must
    // not bury the one window that can be answered.
    KeepAbove(prompt, progressWindow);
    prompt->show();
    DisableWindow(progressWindow);
    WaitUntilActive(progressWindow);
    const std::int32_t answer = prompt->Answer;
    OverWriteForm = nullptr;
    delete prompt;
    switch (answer) {
    case 1:
        return OverwriteAnswer::OverwriteAll;
    case 2:
        return OverwriteAnswer::Cancel;
    default:
        return OverwriteAnswer::Overwrite;
    }
}

}  // namespace zolvane::gui
