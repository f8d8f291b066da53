// Packing files into an LZH archive through the archiver library, and the packed split:
// the one sequence both front ends run, each with its own way of showing it.
#pragma once

#include <string>
#include <vector>

#include "jobs/ArchiverLibrary.h"
#include "platform/MessageKinds.h"

namespace zolvane {

enum class PackOutcome { Packed, Failed, Cancelled };

// The message boxes of the surroundings; `detail` may be empty (see Show()).
class MessageOperations {
public:
    virtual ~MessageOperations() = default;
    virtual MessageReply message(const std::string& text, const std::string& caption,
                                 MessageIcon icon, MessageButtons buttons,
                                 const std::string& detail) = 0;
};

// What packing needs from its surroundings.
class PackOperations : public MessageOperations {
public:

    // Before each name or mask is added.
    virtual void showItem(const std::string& item) = 0;
    // A mask that matched no file.
    virtual void warnUnmatched(const std::string& pattern) = 0;
    // An add that failed, with the library's report of why.
    virtual void itemFailed(const std::string& item, const std::string& report) = 0;
    // Asked after each add: the command in progress always ends first.
    virtual bool cancelRequested() = 0;
};

// One add command per name or mask, relative to the current folder, stopping at the first
// failure (what was added stays in the archive) or at a cancel. A busy library is refused
// with `busy`. `ownerWindow` is handed to the library for any window of its own.
PackOutcome PackFiles(const ArchiverLibrary& archiver, const std::string& archive,
                      const std::vector<std::string>& items, bool recursive,
                      const MessageBoxSpec& busy, PackOperations& ops,
                      void* ownerWindow = nullptr);

// What a packed split needs from its surroundings.
class PackedSplitOperations : public MessageOperations {
public:

    // Packs the chosen files into the archive; `problem` says why it failed.
    virtual PackOutcome pack(const std::string& archive, std::string& problem) = 0;
    // Splits the archive with the archive mark; 0 when the split finished.
    virtual int split(const std::string& archive) = 0;
};

// Packs, splits the archive and deletes it whatever the outcome: the archive was only ever a
// means to the pieces, and a half-made one is no use. Returns the split's result, -1 when
// packing failed or was cancelled.
int PackedSplit(const std::string& archive, PackedSplitOperations& ops);

// Removes an archive a job made, saying so when that fails (also when something else has
// removed it meanwhile: the user should know).
void DeleteArchive(const std::string& archive, MessageOperations& ops);

}  // namespace zolvane
