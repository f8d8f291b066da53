// Packing bound to the terminal: each name shown as it is added, masks that matched nothing
// warned about, the library's report of a failure shown with it.
#pragma once

#include <string>

#include "cli/Terminal.h"
#include "jobs/ArchiverLibrary.h"
#include "jobs/Packing.h"

namespace zolvane::cli {

class TerminalPacking : public PackOperations {
public:
    explicit TerminalPacking(Terminal& terminal) : terminal_(terminal) {}

    void showItem(const std::string& item) override;
    void warnUnmatched(const std::string& pattern) override;
    void itemFailed(const std::string& item, const std::string& report) override;
    bool cancelRequested() override;
    MessageReply message(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons, const std::string& detail) override;

private:
    Terminal& terminal_;
};

// Loads the library next to the program; says so on the terminal when it is missing.
bool LoadArchiver(Terminal& terminal, ArchiverLibrary& archiver);

}  // namespace zolvane::cli
