#include "window/MessageBoxes.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>

#include "window/WindowParts.h"

namespace zolvane::gui {
namespace {

MessageBoxRecorder* gRecorder = nullptr;
bool gStopped = false;
QMessageBox* gOpenBox = nullptr;  // the box that waits for an answer now
QPointer<QWidget> gBoxOwner;

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case MessageButtons::OverwriteAllCancel:
        return QMessageBox::YesToAll | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MessageReply ReplyOf(int button) {
    switch (button) {
    case QMessageBox::Retry:
        return MessageReply::Retry;
    case QMessageBox::Ok:
    case QMessageBox::YesToAll:
        return MessageReply::Ok;
    default:
        return MessageReply::Cancel;  // the close box and Escape too
    }
}

}  // namespace

void StopAsking(bool stop) {
    gStopped = stop;
    if (stop && gOpenBox != nullptr) {
        gOpenBox->done(QMessageBox::Cancel);
    }
}

bool AskingStopped() {
    return gStopped;
}

MessageReply ShowMessage(const QString& text, const QString& caption, MessageIcon icon,
                         MessageButtons buttons, QWidget* parent, const QString& detail) {
    if (gStopped) {
        return buttons == MessageButtons::Ok ? MessageReply::Ok : MessageReply::Cancel;
    }
    if (gRecorder != nullptr) {
        gRecorder->shown.push_back({text, caption, icon, buttons, detail});
        if (gRecorder->onShow) {
            gRecorder->onShow(gRecorder->shown.back());
        }
        if (buttons == MessageButtons::Ok) {
            return MessageReply::Ok;
        }
        if (gRecorder->nextAnswers.empty()) {
            return MessageReply::Cancel;
        }
        const MessageReply answer = gRecorder->nextAnswers.front();
        gRecorder->nextAnswers.pop_front();
        return answer;
    }
    // Application-modal, as the program's boxes always are.
    QMessageBox box(IconOf(icon), caption, text, ButtonsOf(buttons), parent);
    box.setWindowModality(Qt::ApplicationModal);
    if (QAbstractButton* all = box.button(QMessageBox::YesToAll)) {
        all->setText(QStringLiteral("すべて上書き"));
    }
    if (!detail.isEmpty()) {
        box.setInformativeText(detail);
        // A file name is never markup.
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
            label->setTextFormat(Qt::PlainText);
        }
    }
    if (parent == nullptr) {
        KeepAbove(&box, gBoxOwner);
    }
    gOpenBox = &box;
    const int pressed = box.exec();
    gOpenBox = nullptr;
    return ReplyOf(gStopped ? QMessageBox::Cancel : pressed);
}

void SetBoxOwner(QWidget* window) {
    gBoxOwner = window;
}

QWidget* BoxOwner() {
    return gBoxOwner;
}

MessageReply ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons, const std::string& detail, QWidget* parent) {
    return ShowMessage(QString::fromStdString(text), QString::fromStdString(caption), icon,
                       buttons, parent, QString::fromStdString(detail));
}

MessageReply ShowMessage(const MessageBoxSpec& box, const std::string& detail, QWidget* parent) {
    return ShowMessage(box.text, box.caption, box.icon, box.buttons, detail, parent);
}

void ShowErrorBox(const QString& message) {
    ShowMessage(message + QStringLiteral("."), QString::fromUtf8(kApplicationTitle),
                MessageIcon::Error, MessageButtons::Ok);
}

QString RunSaveDialog(QFileDialog& dialog, bool askBeforeReplacing) {
    if (gRecorder != nullptr) {
        gRecorder->saveDialogsAsking.push_back(askBeforeReplacing);
        gRecorder->saveDialogFolders.push_back(dialog.directory().absolutePath());
        if (gRecorder->nextSavePaths.empty()) {
            return {};
        }
        const QString path = gRecorder->nextSavePaths.front();
        gRecorder->nextSavePaths.pop_front();
        return path;
    }
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !askBeforeReplacing);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    const QString chosen = dialog.selectedFiles().front();
    dialog.selectFile(chosen);  // offered again next time
    return chosen;
}

MessageBoxRecorder::MessageBoxRecorder() {
    gRecorder = this;
}

MessageBoxRecorder::~MessageBoxRecorder() {
    gRecorder = nullptr;
}

std::vector<QString> MessageBoxRecorder::texts() const {
    std::vector<QString> all;
    for (const RecordedBox& box : shown) {
        all.push_back(box.text);
    }
    return all;
}

}  // namespace zolvane::gui
