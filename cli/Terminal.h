// The terminal's side of the engine operations: message boxes and prompts on stderr and
// stdin, a progress bar, and Ctrl-C as the user's cancel.
#pragma once

#include <string>

#include "join/OverwriteAnswer.h"
#include "platform/MessageKinds.h"

namespace zolvane::cli {

class Terminal {
public:
    // overwriteAll answers every overwrite question with "overwrite all" (--overwrite).
    explicit Terminal(bool overwriteAll);
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Prints the message and, on one more line, its detail (the file concerned and the
    // system's reason); asks when stdin is a terminal, otherwise every two-button box
    // answers Cancel.
    MessageReply message(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons, const std::string& detail = {});
    // `target` is the file at risk when it differs from the name shown; may be empty.
    OverwriteAnswer askOverwrite(const std::string& name, const std::string& target = {});

    void showLine(const std::string& label, const std::string& path);
    void showProgress(int percent);
    bool cancelRequested() const;

private:
    void clearProgress();
    char ask(const std::string& question, const std::string& choices);

    bool overwriteAll_;
    bool interactive_;
    bool progressBar_;
    int shownPercent_ = -1;
};

}  // namespace zolvane::cli
