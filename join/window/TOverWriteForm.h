// The overwrite prompt that both engines show when a file they are about to write exists:
// overwrite, overwrite this and every later file of the job, or cancel the job.
#pragma once

#include <QWidget>
#include <cstdint>

class QLabel;
class QPushButton;

class TOverWriteForm : public QWidget {
    Q_OBJECT
public:
    // `progressWindow` is the window the answer hands the activation back to.
    explicit TOverWriteForm(QWidget* progressWindow = nullptr);

    QLabel* Label1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QLabel* Label2;
    QLabel* Label3;
    // 0 overwrite, 1 overwrite all, 2 cancel.
    std::int32_t Answer = 0;

    // Each records its answer and hands the activation back to the running job's progress
    // window; the waiting engine then reads the answer and destroys the prompt.
    void Button1Click();
    void Button2Click();
    void Button3Click();

protected:
    // The close box answers as Cancel does, so that the engine's wait ends.
    void closeEvent(QCloseEvent* event) override;

private:
    void answer(std::int32_t value);

    QWidget* progressWindow_;
};

// The prompt of the question in progress, if any.
extern TOverWriteForm* OverWriteForm;
