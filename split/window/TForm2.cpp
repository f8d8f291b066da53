#include "split/window/TForm2.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "window/Activation.h"
#include "window/WindowParts.h"

TForm2* Form2 = nullptr;

using zolvane::gui::MakeControl;

TForm2::TForm2(QWidget* mainWindow) : mainWindow_(mainWindow) {
    zolvane::gui::SetUpJobWindow(this, QStringLiteral("ファイル分割中・・・"), 406, 222, 15);
    Label1 = MakeControl<QLabel>(this, "Label1", 64, 8, 194, 23);
    Label1->setText(QStringLiteral("ファイル分割中・・・"));
    zolvane::gui::SetLabelFont(Label1, 23, true);
    CancelButton1 = MakeControl<QPushButton>(this, "CancelButton1", 288, 8, 105, 25);
    CancelButton1->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    // Enter presses it as Space does: outside a dialog only an auto-default button does.
    CancelButton1->setAutoDefault(true);
    Label2 = MakeControl<QLabel>(this, "Label2", 8, 40, 35, 15);
    Label2->setText(QStringLiteral("From:"));
    Label2->adjustSize();
    Memo1 = MakeControl<QPlainTextEdit>(this, "Memo1", 48, 40, 353, 25);
    Memo1->setReadOnly(true);
    Memo1->setAccessibleName(QStringLiteral("分割するファイル"));
    Label3 = MakeControl<QLabel>(this, "Label3", 8, 112, 20, 15);
    Label3->setText(QStringLiteral("To:"));
    Label3->adjustSize();
    Memo2 = MakeControl<QPlainTextEdit>(this, "Memo2", 48, 72, 353, 121);
    Memo2->setReadOnly(true);
    Memo2->setAccessibleName(QStringLiteral("分割ファイル"));
    ProgressBar1 = MakeControl<QProgressBar>(this, "ProgressBar1", 8, 200, 393, 17);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setAccessibleName(QStringLiteral("進み具合"));
    for (QPlainTextEdit* memo : {Memo1, Memo2}) {
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    }
    // One line, no room for scroll bars.
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ProgressBar1->setTextVisible(false);
    // The cancel button first, so that it has the focus when the window opens.
    setTabOrder(CancelButton1, Memo1);
    setTabOrder(Memo1, Memo2);
    setTabOrder(Memo2, ProgressBar1);
    CancelButton1->setFocus();
    connect(CancelButton1, &QPushButton::clicked, this, &TForm2::CancelButton1Click);
}

void TForm2::CancelButton1Click() {
    zolvane::gui::ReleaseWindow(mainWindow_);
}

void TForm2::FormClose() {
    zolvane::gui::ReleaseWindow(mainWindow_);
}

// The window hides, as a close does; the execute command destroys it after the job. Greyed
// while the job waits for an answer, it stays: the job cannot stop before it has one.
void TForm2::closeEvent(QCloseEvent* event) {
    if (!isEnabled()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}
