#include "jobs/WindowOperations.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>

#include "jobs/UnpackCheck.h"
#include "join/TForm3.h"
#include "join/TOverWriteForm.h"
#include "mainwindow/Activation.h"
#include "mainwindow/MessageBoxes.h"
#include "mainwindow/TForm1.h"
#include "platform/Console.h"
#include "split/TForm2.h"

namespace zolvane::gui {
namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// The engines' fixed texts, with the file concerned and the reason below them.
MessageReply ShowEngineMessage(const std::string& text, const std::string& caption,
                               MessageIcon icon, MessageButtons buttons,
                               const std::string& detail) {
    return ShowMessage(Text(text), Text(caption), icon, buttons, nullptr, Text(detail));
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

// In the order the split engine tests them; automatic sizing when none of the others.
SizeChoice WindowSplitOperations::sizeChoice() {
    if (main_.SizeButton1->isChecked()) {
        return SizeChoice::Floppy1440K;
    }
    if (main_.SizeButton2->isChecked()) {
        return SizeChoice::Floppy720K;
    }
    if (main_.SizeButton4->isChecked()) {
        return SizeChoice::Floppy1250K;
    }
    if (main_.SizeButton5->isChecked()) {
        return SizeChoice::Floppy640K;
    }
    if (main_.SizeButton3->isChecked()) {
        return SizeChoice::Free;
    }
    return SizeChoice::Automatic;
}

std::int32_t WindowSplitOperations::pieceSize() {
    return main_.PieceSize;
}

std::uint8_t WindowSplitOperations::archiveMark() {
    return main_.ArchiveMade ? 1 : 0;
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
    return ShowEngineMessage(text, caption, icon, buttons, detail);
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
    return main_.ArchiverReady;
}

bool WindowJoinOperations::archiverBusy() {
    return main_.Archiver.busy();
}

int WindowJoinOperations::runArchiver(const std::string& command, std::string& report) {
    return main_.Archiver.run(command, report, reinterpret_cast<void*>(main_.winId()));
}

// Files of the destination that the archive would replace are asked about first, as the
// joined file itself is; nothing is asked when none would be replaced.
bool WindowJoinOperations::confirmUnpack(const std::string& archivePath,
                                         const std::string& folder) {
    std::string report;
    const auto check = CheckUnpack(main_.Archiver, archivePath, folder, report);
    if (!check) {
        ShowMessage(QStringLiteral("展開先で上書きされるファイルを確かめられませんでした。"),
                    QStringLiteral("エラー"), MessageIcon::Error, MessageButtons::Ok, &progress_);
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
    return ShowEngineMessage(text, caption, icon, buttons, detail);
}

void WindowJoinOperations::release() {
    ReleaseWindow(&main_);
}

}  // namespace zolvane::gui
