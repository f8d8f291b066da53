// What the join engine needs from its surroundings: the window program and the terminal
// front end each bind these, and tests fake them.
#pragma once

#include <string>

#include "join/OverwriteAnswer.h"
#include "platform/MessageKinds.h"

namespace zolvane {

class JoinOperations {
public:
    virtual ~JoinOperations() = default;

    virtual void showPiece(const std::string& path) = 0;
    virtual void showOutput(const std::string& path) = 0;
    virtual void showProgress(int percent) = 0;

    // Handles pending events once; cancelRequested is asked right after.
    virtual void processEvents() = 0;
    virtual bool cancelRequested() = 0;

    // Asked when the output exists, naming the recorded name (as text) and the file that
    // would be replaced.
    virtual OverwriteAnswer askOverwrite(const std::string& recordedName,
                                         const std::string& outputPath) = 0;

    // The archiver library: whether it is loaded, whether it is busy, and one command
    // (0 success, anything else failure; `report` gets the library's own account).
    virtual bool archiverReady() = 0;
    virtual bool archiverBusy() = 0;
    virtual int runArchiver(const std::string& command, std::string& report) = 0;

    // Asked once the rebuilt archive is complete, before it is unpacked into the
    // destination folder. False keeps the archive and ends the join as cancelled; the
    // surroundings have already told the user why.
    virtual bool confirmUnpack(const std::string& archivePath,
                               const std::string& destinationFolder) = 0;

    // `detail` may be empty; see Show().
    virtual MessageReply message(const std::string& text, const std::string& caption,
                                 MessageIcon icon, MessageButtons buttons,
                                 const std::string& detail) = 0;

    // Hands control back to the user (the window program enables its main window).
    virtual void release() = 0;
};

}  // namespace zolvane
