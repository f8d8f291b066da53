// The terminal's side of the engine operations: message boxes and prompts on stderr and
// stdin, a progress bar, and Ctrl-C (or SIGTERM, SIGHUP) as the user's cancel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "join/OverwriteAnswer.h"
#include "platform/MessageKinds.h"

namespace zolvane::cli {

// The text with every control character (C0, DEL, C1) and every byte that is not part of
// valid UTF-8 written as an escape (\n, \t, \r, \xNN), so that a name taken from a piece
// or an archive cannot drive the terminal. Everything the program prints of names and
// paths goes through here.
std::string Printable(const std::string& text);

class Terminal {
public:
    // overwriteAll answers every overwrite question with "overwrite all" (--overwrite).
    explicit Terminal(bool overwriteAll);
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Prints the message and, on one more line, its detail (the file concerned and the
    // system's reason); asks when someone can answer, otherwise every two-button box
    // answers Cancel.
    MessageReply message(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons, const std::string& detail = {});
    // `target` is the file at risk when it differs from the name shown; may be empty.
    OverwriteAnswer askOverwrite(const std::string& name, const std::string& target = {});
    // Whether unpacking may replace `count` files in `folder` (`names` lists some or all
    // of them): yes with --overwrite, else the user's word, who sees the list (an answer
    // about the archive itself does not cover its contents); no when nobody can answer.
    bool confirmReplacing(const std::string& folder, const std::vector<std::string>& names,
                          std::uint64_t count);
    void warn(const std::string& text);

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
