#include "join/window/TForm3.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "window/Activation.h"
#include "window/WindowParts.h"

TForm3* Form3 = nullptr;

using zolvane::gui::MakeControl;

TForm3::TForm3(QWidget* mainWindow) : mainWindow_(mainWindow) {
    zolvane::gui::SetUpJobWindow(this, QStringLiteral("ファイル結合中・・・"), 325, 178, 12);
    Label1 = MakeControl<QLabel>(this, "Label1", 51, 6, 161, 19);
    Label1->setText(QStringLiteral("ファイル結合中・・・"));
    zolvane::gui::SetLabelFont(Label1, 19, true);
    Button1 = MakeControl<QPushButton>(this, "Button1", 230, 6, 84, 20);
    Button1->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    // Enter presses it as Space does: outside a dialog only an auto-default button does.
    Button1->setAutoDefault(true);
    // Not read-only, as laid out: nothing reads back what is typed there.
    Memo1 = MakeControl<QPlainTextEdit>(this, "Memo1", 38, 32, 283, 97);
    Memo1->setAccessibleName(QStringLiteral("読んだ分割ファイル"));
    Memo2 = MakeControl<QPlainTextEdit>(this, "Memo2", 38, 134, 283, 20);
    Memo2->setAccessibleName(QStringLiteral("結合先のファイル"));
    for (QPlainTextEdit* memo : {Memo1, Memo2}) {
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    }
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Label2 = MakeControl<QLabel>(this, "Label2", 6, 70, 28, 12);
    Label2->setText(QStringLiteral("From:"));
    Label2->adjustSize();
    Label3 = MakeControl<QLabel>(this, "Label3", 6, 134, 15, 12);
    Label3->setText(QStringLiteral("To:"));
    Label3->adjustSize();
    ProgressBar1 = MakeControl<QProgressBar>(this, "ProgressBar1", 6, 160, 315, 14);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setAccessibleName(QStringLiteral("進み具合"));
    ProgressBar1->setTextVisible(false);
    setTabOrder(Button1, Memo1);
    setTabOrder(Memo1, Memo2);
    setTabOrder(Memo2, ProgressBar1);
    Button1->setFocus();
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
}

void TForm3::Button1Click() {
    zolvane::gui::ReleaseWindow(mainWindow_);
}

void TForm3::FormClose() {
    zolvane::gui::ReleaseWindow(mainWindow_);
}

// Greyed while the job waits for an answer, the window stays: the job cannot stop before it
// has one.
void TForm3::closeEvent(QCloseEvent* event) {
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}
