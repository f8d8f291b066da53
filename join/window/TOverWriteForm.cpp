#include "join/window/TOverWriteForm.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "window/Activation.h"
#include "window/WindowParts.h"

TOverWriteForm* OverWriteForm = nullptr;

using zolvane::gui::MakeControl;

TOverWriteForm::TOverWriteForm(QWidget* progressWindow) : progressWindow_(progressWindow) {
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

void TOverWriteForm::answer(std::int32_t value) {
    Answer = value;
    zolvane::gui::ReleaseWindow(progressWindow_);
}

void TOverWriteForm::closeEvent(QCloseEvent* event) {
    Button3Click();
    event->accept();
}
