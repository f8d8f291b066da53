// What a desktop shows of the windows beyond their own drawing: captions, which window the
// window manager keeps above which, tooltips, the keys of the small windows' buttons, and
// texts that fit their boxes at the program's font.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>
#include <QToolTip>
#include <QWindow>
#include <functional>
#include <tuple>
#include <vector>

#include "join/window/TForm3.h"
#include "join/window/TOverWriteForm.h"
#include "window/MessageBoxes.h"
#include "window/WindowParts.h"
#include "split/window/TForm2.h"
#include "tests/mainwindow/WindowTest.h"

namespace zolvane {
namespace {

// The window system appends a display name to every caption that does not end with it, so
// the program sets none: "メッセージ" stays "メッセージ".
TEST(Captions, AreThePrograms) {
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
}

// A real box, answered as soon as it waits: it stays above the window it belongs to, or above
// the window that one stays above when it is hidden.
TEST(MessageBoxOwner, ABoxStaysAboveTheWindowItBelongsTo) {
    QWidget main;
    QWidget progress;
    main.show();
    gui::KeepAbove(&progress, &main);
    progress.show();
    struct Case {
        const char* what;
        std::function<void()> before;
        QWidget* owner;
        QWindow* above;
    };
    const std::vector<Case> cases = {
        {"shown", [] {}, &progress, progress.windowHandle()},
        {"hidden", [&] { progress.hide(); }, &progress, main.windowHandle()},
        {"none", [] {}, nullptr, nullptr},
    };
    for (const Case& one : cases) {
        SCOPED_TRACE(one.what);
        one.before();
        gui::SetBoxOwner(one.owner);
        QWindow* above = nullptr;
        int boxes = 0;
        QMetaObject::invokeMethod(
            qApp,
            [&] {
                for (QWidget* top : QApplication::topLevelWidgets()) {
                    if (qobject_cast<QMessageBox*>(top) != nullptr && top->isVisible()) {
                        ++boxes;
                        above = top->windowHandle()->transientParent();
                    }
                }
                gui::StopAsking();  // answers the box as Cancel
            },
            Qt::QueuedConnection);
        gui::ShowMessage(QStringLiteral("続けますか?"), QStringLiteral("警告"),
                         MessageIcon::Warning, MessageButtons::OkCancel);
        gui::StopAsking(false);
        EXPECT_EQ(boxes, 1);
        EXPECT_EQ(above, one.above);
    }
    gui::SetBoxOwner(nullptr);
}

// Enter and Space press the focused button of the small windows, as in any dialog.
TEST_F(WindowTest, EnterAndSpacePressTheFocusedButton) {
    const auto window = open();  // the buttons hand the activation back to it
    TForm2 split;
    TForm3 join;
    TOverWriteForm prompt;
    for (QPushButton* button :
         {split.CancelButton1, join.Button1, prompt.Button1, prompt.Button2, prompt.Button3}) {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
            QSignalSpy clicked(button, &QPushButton::clicked);
            QTest::keyClick(button, key);
            EXPECT_EQ(clicked.count(), 1) << button->window()->metaObject()->className() << " "
                                          << button->objectName().toStdString() << " " << key;
        }
    }
}

// A control without a tooltip of its own shows none, though a group box around it has one;
// the group box keeps its tooltip over its own empty area.
TEST_F(WindowTest, OnlyControlsWithATooltipShowOne) {
    const auto window = open();
    TForm1& w = *window;
    w.show();
    w.PageControl1->setCurrentWidget(w.SetOption);
    const auto emptyCorner = [](QWidget* box) {
        return QPoint(box->width() - 3, box->height() - 3);
    };
    const std::vector<std::tuple<QWidget*, QPoint, QString>> rows = {
        {w.DivideButton, w.DivideButton->rect().center(), ""},
        {w.JoinButton, w.JoinButton->rect().center(), ""},
        {w.SizeButton1, w.SizeButton1->rect().center(), ""},
        {w.AutoSizeButton, w.AutoSizeButton->rect().center(), ""},
        {w.GroupBox1, emptyCorner(w.GroupBox1), "分割か結合か指定します"},
        {w.GroupBox3, emptyCorner(w.GroupBox3), "分割サイズを指定します"},
        {w.Button1, w.Button1->rect().center(), "分割します"},
    };
    for (const auto& [control, at, tip] : rows) {
        // A click anywhere takes a tooltip away at once.
        QObject elsewhere;
        QMouseEvent click(QEvent::MouseButtonPress, QPointF(), QPointF(), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&elsewhere, &click);
        ASSERT_FALSE(QToolTip::isVisible());
        QHelpEvent help(QEvent::ToolTip, at, control->mapToGlobal(at));
        QCoreApplication::sendEvent(control, &help);
        EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text() : QString(), tip)
            << control->objectName().toStdString();
    }
}

// At the program's font nothing is cut: every mini-help sentence fits the box, and the texts
// of the version page lie apart inside their frame.
TEST_F(WindowTest, TextsFitTheirBoxes) {
    const auto window = open();
    TForm1& w = *window;
    w.show();
    w.PressChkBox->setChecked(true);  // its options speak only then
    QSet<QString> sentences;
    for (QRadioButton* mode : {w.DivideButton, w.JoinButton}) {
        mode->setChecked(true);
        for (QWidget* control : w.findChildren<QWidget*>()) {
            w.MouseMovedOver(control);
            sentences.insert(w.MiniHelp->toPlainText());
        }
    }
    EXPECT_TRUE(sentences.contains("指定ドライブの残り容量を計算してそのサイズで分割します。"));
    for (const QString& sentence : sentences) {
        w.MiniHelp->setPlainText(sentence);
        QTextCursor end(w.MiniHelp->document());
        end.movePosition(QTextCursor::End);
        EXPECT_LE(w.MiniHelp->cursorRect(end).bottom(), w.MiniHelp->viewport()->rect().bottom())
            << sentence.toStdString();
    }
    const std::vector<QLabel*> about = {w.Label1, w.Label2, w.Label4};
    for (std::size_t i = 0; i < about.size(); ++i) {
        EXPECT_TRUE(w.Bevel1->geometry().contains(about[i]->geometry()))
            << about[i]->objectName().toStdString();
        for (std::size_t j = i + 1; j < about.size(); ++j) {
            EXPECT_FALSE(about[i]->geometry().intersects(about[j]->geometry()))
                << about[i]->objectName().toStdString() << " "
                << about[j]->objectName().toStdString();
        }
    }
}

}  // namespace
}  // namespace zolvane
