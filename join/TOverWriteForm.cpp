#include "join/TOverWriteForm.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "join/TForm3.h"
#include "mainwindow/Activation.h"
#include "mainwindow/MessageBoxes.h"
#include "mainwindow/TForm1.h"
#include "mainwindow/WindowParts.h"
#include "split/TForm2.h"

TOverWriteForm* OverWriteForm = nullptr;

using zolvane::gui::MakeControl;

TOverWriteForm::TOverWriteForm() {
    setWindowTitle(QStringLiteral("警告"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(261, 153);
    zolvane::gui::SetFontPixels(this, 12);
    Label1 = MakeControl<QLabel>(this, "Label1", 13, 13, 77, 12);
    Label1->setText(QStringLiteral("同名のファイル"));
    Button1 = MakeControl<QPushButton>(this, "Button1", 45, 83, 77, 20);
    Button1->setText(QStringLiteral("上書き"));
    Button2 = MakeControl<QPushButton>(this, "Button2", 64, 109, 135, 20);
    Button2->setText(QStringLiteral("以降すべて上書き"));
    Button3 = MakeControl<QPushButton>(this, "Button3", 134, 83, 84, 20);
    Button3->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    Label2 = MakeControl<QLabel>(this, "Label2", 19, 32, 0, 12);
    Label3 = MakeControl<QLabel>(this, "Label3", 13, 51, 76, 12);
    Label3->setText(QStringLiteral("が存在します。"));
    for (QLabel* label : {Label1, Label3}) {
        label->adjustSize();
    }
    // Enter and Space press the button with the focus, at first Button1; Escape does nothing.
    // Outside a dialog only an auto-default button answers Enter.
    for (QPushButton* button : {Button1, Button2, Button3}) {
        button->setAutoDefault(true);
    }
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);
    Button1->setFocus();
    connect(Button1, &QPushButton::clicked, this, &TOverWriteForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TOverWriteForm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TOverWriteForm::Button3Click);
}

void TOverWriteForm::Button1Click() {
    answer(0);
}

void TOverWriteForm::Button2Click() {
    answer(1);
}

void TOverWriteForm::Button3Click() {
    answer(2);
}

// The job's progress window follows from the main window's mode, which cannot change while
// a job runs.
void TOverWriteForm::answer(std::int32_t value) {
    Answer = value;
    QWidget* progress = MainWindow->DivideButton->isChecked() ? static_cast<QWidget*>(Form2)
                                                              : static_cast<QWidget*>(Form3);
    if (progress != nullptr) {
        zolvane::gui::ReleaseWindow(progress);
    }
}

void TOverWriteForm::closeEvent(QCloseEvent* event) {
    Button3Click();
    event->accept();
}

namespace zolvane::gui {

OverwriteAnswer AskOverwrite(QWidget* progressWindow, const QString& name, const QString& toolTip) {
    if (AskingStopped()) {
        return OverwriteAnswer::Cancel;
    }
    auto* prompt = new TOverWriteForm;
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
