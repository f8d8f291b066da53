// What the split engine needs from its surroundings: the window program and the
// terminal front end each bind these, and tests fake them.
#pragma once

#include <cstdint>
#include <string>

#include "join/OverwriteAnswer.h"
#include "platform/MessageKinds.h"

namespace zolvane {

// The six piece-size choices, in the order the engine tests them.
enum class SizeChoice {
    Floppy1440K,  // "1.44MB"
    Floppy720K,   // "720KB"
    Floppy1250K,  // "1.25MB"
    Floppy640K,   // "640KB"
    Free,         // "その他": the free size
    Automatic,    // the free space of the destination drive, before every piece
};

inline constexpr std::int32_t kSize1440K = 1457664;
inline constexpr std::int32_t kSize720K = 730112;
inline constexpr std::int32_t kSize1250K = 1250304;
inline constexpr std::int32_t kSize640K = 649216;

class SplitOperations {
public:
    virtual ~SplitOperations() = default;

    virtual SizeChoice sizeChoice() = 0;
    // The free size in bytes, header included; asked only for SizeChoice::Free.
    virtual std::int32_t pieceSize() = 0;
    // 1 when the source is an archive the compression step made, else 0.
    virtual std::uint8_t archiveMark() = 0;

    virtual void showSource(const std::string& path) = 0;
    virtual void showPiece(const std::string& path) = 0;
    virtual void showProgress(int percent) = 0;

    // Handles pending events once; cancelRequested is asked right after.
    virtual void processEvents() = 0;
    virtual bool cancelRequested() = 0;

    virtual OverwriteAnswer askOverwrite(const std::string& piecePath) = 0;
    // `detail` may be empty; see Show().
    virtual MessageReply message(const std::string& text, const std::string& caption,
                                 MessageIcon icon, MessageButtons buttons,
                                 const std::string& detail) = 0;

    // Hands control back to the user (the window program enables its main window).
    virtual void release() = 0;
};

}  // namespace zolvane
