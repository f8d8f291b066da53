// The mini-help box follows the mouse with one sentence about the control under it, and the
// help button opens the help page in the desktop's browser.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolTip>

#include "mainwindow/DirectoryListBox.h"
#include "mainwindow/DriveComboBox.h"
#include "mainwindow/FileListBox.h"
#include "window/MessageBoxes.h"
#include "mainwindow/TForm1.h"
#include "platform/Documents.h"
#include "platform/MessageKinds.h"

namespace {

void Show(QPlainTextEdit* box, const char* text) {
    const QString shown = QString::fromUtf8(text);
    if (box->toPlainText() != shown) {
        box->setPlainText(shown);
    }
}

}  // namespace

void TForm1::watchMouse() {
    mouseMoveHandlers_ = {
        {Button1, &TForm1::Button1MouseMove},
        {HelpButton, &TForm1::HelpButtonMouseMove},
        {ExitButton, &TForm1::ExitButtonMouseMove},
        {DivideButton, &TForm1::DivideButtonMouseMove},
        {JoinButton, &TForm1::JoinButtonMouseMove},
        {GroupBox1, &TForm1::GroupBox1MouseMove},
        {MiniHelp, &TForm1::MiniHelpMouseMove},
        {this, &TForm1::FormMouseMove},
        {SetSrc, &TForm1::SetSrcMouseMove},
        {SetDest, &TForm1::SetDestMouseMove},
        {SetOption, &TForm1::SetOptionMouseMove},
        {GroupBox3, &TForm1::GroupBox3MouseMove},
        {SizeButton1, &TForm1::SizeButton1MouseMove},
        {SizeButton2, &TForm1::SizeButton2MouseMove},
        {SizeButton3, &TForm1::SizeButton3MouseMove},
        {SizeButton4, &TForm1::SizeButton4MouseMove},
        {SizeButton5, &TForm1::SizeButton5MouseMove},
        {AutoSizeButton, &TForm1::AutoSizeButtonMouseMove},
        {PressChkBox, &TForm1::PressChkBoxMouseMove},
        {RecursionBox, &TForm1::RecursionBoxMouseMove},
        {PressOnlyBox, &TForm1::PressOnlyBoxMouseMove},
        {SaveSetting, &TForm1::SaveSettingMouseMove},
        {About, &TForm1::AboutMouseMove},
    };
    const std::initializer_list<QWidget*> controls = {
        Button1,        HelpButton,   GroupBox1,      DivideButton,   JoinButton,
        MiniHelp,       ExitButton,   PageControl1,   SetSrc,         SrcDirectoryListBox,
        FileListBox1,   DriveComboBox1, FMaskEdit,    SetDest,        SetDestChk,
        DestDirectoryListBox,         DestDriveComboBox,              SetOption,
        GroupBox3,      SizeButton1,  SizeButton2,    SizeButton3,    SetFreeSize,
        Label3,         AutoSizeButton, Label5,       AutoDriveComboBox,
        SizeButton4,    SizeButton5,  PressChkBox,    RecursionBox,   PressOnlyBox,
        SaveSetting,    About,        Bevel1,         Label1,         Label2,
        Label4};
    layoutControls_ = QSet<QWidget*>(controls.begin(), controls.end());
    // Movement without a button reaches only widgets that track the mouse.
    setMouseTracking(true);
    installEventFilter(this);
    for (QWidget* widget : findChildren<QWidget*>()) {
        widget->setMouseTracking(true);
        widget->installEventFilter(this);
    }
}

// A move travels from the innermost widget up to its holders; only the first delivery, to
// the widget with no child under the pointer, is taken. A tooltip question travels the same
// way until a widget with a tooltip answers: it is stopped where it leaves a control, so that
// a group box speaks only for its own empty area and caption, never for the controls in it.
bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        const auto* move = static_cast<QMouseEvent*>(event);
        if (widget->childAt(move->position().toPoint()) == nullptr) {
            MouseMovedOver(widget);
        }
    }
    if (event->type() == QEvent::ToolTip && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        for (QWidget* inner = widget->childAt(static_cast<QHelpEvent*>(event)->pos());
             inner != nullptr && inner != widget; inner = inner->parentWidget()) {
            if (layoutControls_.contains(inner)) {
                QToolTip::hideText();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The inner parts of a control (a list's viewport, the page control's tabs) belong to it. A
// disabled control counts as the one that holds it, and a control without a handler leaves
// the text as it was.
void TForm1::MouseMovedOver(QWidget* widget) {
    const auto isControl = [&](QWidget* candidate) {
        return candidate == this || layoutControls_.contains(candidate);
    };
    QWidget* control = widget;
    while (control != nullptr && !isControl(control)) {
        if (control->isWindow()) {
            return;  // a dialog of the window's own, such as the save dialog
        }
        control = control->parentWidget();
    }
    while (control != nullptr && control != this && !control->isEnabled()) {
        do {
            control = control->parentWidget();
        } while (control != nullptr && !isControl(control));
    }
    if (control == nullptr) {
        return;
    }
    if (const auto handler = mouseMoveHandlers_.value(control)) {
        (this->*handler)();
    }
}

void TForm1::Button1MouseMove() {
    Show(MiniHelp, DivideButton->isChecked() ? "分割を開始します。" : "結合を開始します。");
}
void TForm1::HelpButtonMouseMove() { Show(MiniHelp, "ヘルプを表示します。"); }
void TForm1::ExitButtonMouseMove() { Show(MiniHelp, "終了します。"); }
void TForm1::DivideButtonMouseMove() { Show(MiniHelp, "分割モードします。"); }
void TForm1::JoinButtonMouseMove() { Show(MiniHelp, "結合モードにします。"); }
void TForm1::GroupBox1MouseMove() { Show(MiniHelp, ""); }
void TForm1::MiniHelpMouseMove() { Show(MiniHelp, "ミニヘルプを表示する場所です。"); }
void TForm1::FormMouseMove() { Show(MiniHelp, ""); }
void TForm1::SetSrcMouseMove() {
    Show(MiniHelp, DivideButton->isChecked() ? "分割元を指定します。" : "結合元を指定します。");
}
void TForm1::SetDestMouseMove() {
    Show(MiniHelp, DivideButton->isChecked() ? "分割先を指定します。" : "結合先を指定します。");
}
void TForm1::SetOptionMouseMove() { Show(MiniHelp, ""); }
void TForm1::GroupBox3MouseMove() { Show(MiniHelp, ""); }
void TForm1::SizeButton1MouseMove() { Show(MiniHelp, "1.44MBに分割します。"); }
void TForm1::SizeButton2MouseMove() { Show(MiniHelp, "720KBに分割します。"); }
void TForm1::SizeButton3MouseMove() { Show(MiniHelp, "指定サイズで分割します。"); }
void TForm1::SizeButton4MouseMove() { Show(MiniHelp, "1.25MBに分割します。"); }
void TForm1::SizeButton5MouseMove() { Show(MiniHelp, "640KBに分割します。"); }
void TForm1::AutoSizeButtonMouseMove() {
    Show(MiniHelp, "指定ドライブの残り容量を計算してそのサイズで分割します。");
}
void TForm1::PressChkBoxMouseMove() { Show(MiniHelp, "圧縮して分割します。"); }
void TForm1::RecursionBoxMouseMove() { Show(MiniHelp, "サブフォルダも含めて圧縮し、分割します。"); }
void TForm1::PressOnlyBoxMouseMove() { Show(MiniHelp, "圧縮だけして分割しません。"); }
void TForm1::SaveSettingMouseMove() { Show(MiniHelp, "設定を保存します。"); }
void TForm1::AboutMouseMove() { Show(MiniHelp, "バージョン情報を表示しています。"); }

// The page is looked for in the source list's folder, then beside the program (the build
// tree), then where an installation puts it (bin/../share/zolvane), so that browsing to
// another folder does not lose it.
QStringList TForm1::HelpFolders() const {
    const QString program = QCoreApplication::applicationDirPath();
    return {SrcDirectoryListBox->directory(), program,
            QDir::cleanPath(program + QStringLiteral("/../share/zolvane"))};
}

// The opener's answer is awaited: one that finds no browser fails after the button was
// pressed, and only its exit status tells.
void TForm1::HelpButtonClick() {
    const QString name = QStringLiteral("zolvane.html");
    QString problem = QString::fromStdString(zolvane::DetailOf(name.toStdString(), ENOENT));
    for (const QString& folder : HelpFolders()) {
        const QFileInfo page(QDir(folder), name);
        if (page.isFile()) {
            const std::string path = page.absoluteFilePath().toStdString();
            const std::string refused = zolvane::platform::OpenDocument(path);
            if (refused.empty()) {
                return;
            }
            problem = QString::fromStdString(path + ": " + refused);
            break;
        }
    }
    zolvane::gui::ShowMessage(QStringLiteral("ブラウザを起動できません。"),
                              QStringLiteral("エラー"), zolvane::MessageIcon::Error,
                              zolvane::MessageButtons::Ok, this, problem);
}
