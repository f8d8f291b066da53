// Packing files into an LZH archive through the archiver library, from the terminal.
#pragma once

#include <string>
#include <vector>

#include "cli/Terminal.h"
#include "jobs/ArchiverLibrary.h"

namespace zolvane::cli {

enum class PackOutcome { Packed, Failed, Cancelled };

// One add command per name or mask, relative to the current folder, stopping at the first
// failure (what was added stays in the archive) or, after the command in progress, at
// Ctrl-C (or SIGTERM, SIGHUP). Patterns that matched nothing are warned about. `busyText` is
// what a busy library says.
PackOutcome PackFiles(Terminal& terminal, const ArchiverLibrary& archiver,
                      const std::string& archive, const std::vector<std::string>& items,
                      bool recursive, const char* busyText);

// Loads the library next to the program; says so on the terminal when it is missing.
bool LoadArchiver(Terminal& terminal, ArchiverLibrary& archiver);

// Removes an archive that this run made, saying so when that fails.
void RemoveArchive(Terminal& terminal, const std::string& archive);

}  // namespace zolvane::cli
