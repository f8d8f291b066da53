// The join progress window: the pieces read so far, the file being written, a progress bar,
// and the user's way to stop a join (its cancel button and close box).
#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class TForm3 : public QWidget {
    Q_OBJECT
public:
    // `mainWindow` is the window a cancel hands the activation back to.
    explicit TForm3(QWidget* mainWindow = nullptr);

    QLabel* Label1;
    QPushButton* Button1;
    QPlainTextEdit* Memo1;
    QPlainTextEdit* Memo2;
    QLabel* Label2;
    QLabel* Label3;
    QProgressBar* ProgressBar1;

    // Both only hand the activation back to the main window: the join sees that after its
    // block in progress and stops there.
    void Button1Click();
    void FormClose();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* mainWindow_;
};

// The join progress window of the running job, if any.
extern TForm3* Form3;
