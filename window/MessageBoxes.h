// Every message box of the window program goes through here, so that tests can answer them:
// with recording on, no box is shown; each is logged and answered from a preset list.
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/MessageKinds.h"

class QFileDialog;
class QWidget;

namespace zolvane::gui {

// The application's title: the caption of the generic error box.
inline constexpr const char* kApplicationTitle = "Zolvane for Win95";

// A modal box with the text, caption, icon and buttons; returns the button pressed. A detail
// (the file concerned and the system's reason, "PATH: REASON") goes below the fixed text.
MessageReply ShowMessage(const QString& text, const QString& caption, MessageIcon icon,
                         MessageButtons buttons, QWidget* parent = nullptr,
                         const QString& detail = {});
// The same for the texts the engines and the jobs' rules hand over, and for a box of their
// tables.
MessageReply ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons, const std::string& detail,
                         QWidget* parent = nullptr);
MessageReply ShowMessage(const MessageBoxSpec& box, const std::string& detail = {},
                         QWidget* parent = nullptr);

// When the program is asked to stop (a logout, a kill): from now on no box is shown and
// every box answers Cancel (OK when it has no other button), and a box that is up now is
// closed as Cancel. False lets boxes be shown again.
void StopAsking(bool stop = true);
bool AskingStopped();

// The window that a box shown without a parent stays above, so that a click on a greyed
// window of a job cannot bury the box: the execute command names its windows while a job
// runs. Null: none.
void SetBoxOwner(QWidget* window);
QWidget* BoxOwner();

// The generic error box: the message and ".", under the application's title.
void ShowErrorBox(const QString& message);

// Runs the save dialog modally; the chosen path, or empty when it was cancelled. With
// `askBeforeReplacing` the dialog itself asks before an existing file is chosen.
QString RunSaveDialog(QFileDialog& dialog, bool askBeforeReplacing);

struct RecordedBox {
    QString text;
    QString caption;
    MessageIcon icon;
    MessageButtons buttons;
    QString detail;
};

// The seam for tests.
class MessageBoxRecorder {
public:
    // From now on boxes are logged instead of shown, until the recorder is destroyed.
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    // Answers for the next boxes with two buttons, in order; when none is left, Cancel.
    std::deque<MessageReply> nextAnswers;
    std::vector<RecordedBox> shown;
    // Called for every box as it would be shown, e.g. to look at the windows of a job then.
    std::function<void(const RecordedBox&)> onShow;
    // Paths the next save dialogs return (empty: cancelled); when none is left, cancelled.
    std::deque<QString> nextSavePaths;
    // For each save dialog run, whether it would have asked before replacing a file, and the
    // folder it would have opened in.
    std::vector<bool> saveDialogsAsking;
    std::vector<QString> saveDialogFolders;

    std::vector<QString> texts() const;
};

}  // namespace zolvane::gui
