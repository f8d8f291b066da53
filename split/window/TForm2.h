// The split progress window: the file being split, the pieces written so far, a progress
// bar, and the user's one way to stop a split (its cancel button and close box).
#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class TForm2 : public QWidget {
    Q_OBJECT
public:
    // `mainWindow` is the window a cancel hands the activation back to.
    explicit TForm2(QWidget* mainWindow = nullptr);

    QLabel* Label1;
    QPushButton* CancelButton1;
    QLabel* Label2;
    QPlainTextEdit* Memo1;
    QLabel* Label3;
    QPlainTextEdit* Memo2;
    QProgressBar* ProgressBar1;

    // Both only hand the activation back to the main window: the split sees that after its
    // block in progress and stops there.
    void CancelButton1Click();
    void FormClose();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* mainWindow_;
};

// The split progress window of the running job, if any.
extern TForm2* Form2;
