// The split engine. Data moves through one 30000-byte buffer; after every full block the
// engine lets its surroundings handle events and asks whether the user has cancelled.
#include "split/DivideFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <vector>

#include "pieces/FileHelper.h"
#include "pieces/PathRoutines.h"
#include "pieces/PieceHeader.h"
#include "platform/FileAttributes.h"
#include "platform/FileIdentity.h"
#include "platform/Paths.h"
#include "platform/Streams.h"
#include "split/SplitMessages.h"

namespace zolvane {
namespace {

namespace msg = split_messages;

constexpr std::int64_t kLargestSource = std::numeric_limits<std::int32_t>::max();

// The header records paths with "\" between folders, whatever this platform uses.
std::string RecordedFormOf(const std::string& path) {
    std::string recorded = path;
    std::replace(recorded.begin(), recorded.end(), platform::kPathSeparator, '\\');
    return recorded;
}

std::int32_t FixedPieceSize(SizeChoice choice, SplitOperations& ops) {
    switch (choice) {
    case SizeChoice::Floppy1440K:
        return kSize1440K;
    case SizeChoice::Floppy720K:
        return kSize720K;
    case SizeChoice::Floppy1250K:
        return kSize1250K;
    case SizeChoice::Floppy640K:
        return kSize640K;
    case SizeChoice::Free:
    case SizeChoice::Automatic:
        break;
    }
    return ops.pieceSize();
}

// How many pieces a fixed-size split writes. A source that ends exactly at the end of a
// piece gets one more piece holding only its number, as the copy loop does.
std::int64_t PiecesNeeded(std::int64_t dataBytes, std::int64_t pieceSize,
                          std::int64_t firstHeader) {
    const std::int64_t firstData = pieceSize - firstHeader;
    if (dataBytes < firstData) {
        return 1;
    }
    return 2 + (dataBytes - firstData) / (pieceSize - kLaterHeaderBytes);
}

// A write that failed because the disk had no room left, rather than for a fault.
bool OutOfSpace(int error) {
    return error == ENOSPC || error == EDQUOT;
}

class Divider {
public:
    Divider(const std::string& source, const std::string& destination, SplitOperations& ops,
            platform::DriveQueries& drives)
        : source_(source),
          destination_(destination),
          ops_(ops),
          drives_(drives),
          buffer_(BlockSize) {}

    int run() {
        if (auto end = start()) {
            return *end;
        }
        for (;;) {
            if (auto end = preparePiece()) {
                return *end;
            }
            if (auto end = copyPiece()) {
                return *end;
            }
        }
    }

private:
    using Outcome = std::optional<int>;  // set when the run has ended with that result

    Outcome start() {
        choice_ = ops_.sizeChoice();
        automatic_ = choice_ == SizeChoice::Automatic;
        // A destination on removable media names a place on whichever disk is in the drive:
        // after a swap the next piece goes to the new disk, wherever it is mounted.
        place_ = drives_.placeOf(destination_);
        drive_ = place_.drive;
        std::error_code ignored;
        if (std::filesystem::is_directory(source_, ignored)) {
            return stop(msg::kCannotOpenSource, DetailOf(source_, EISDIR));
        }
        if ((sourceStream_ = std::fopen(source_.c_str(), "rb")) == nullptr) {
            return stop(msg::kCannotOpenSource, DetailOf(source_, errno));
        }
        helper_.AttachStream(sourceStream_);
        const std::int64_t size = helper_.MeasureSize();
        if (size < 0) {
            return stop(msg::kReadError, DetailOf(source_, errno));
        }
        if (size > kLargestSource) {
            return stop(msg::kSourceTooLarge, source_);
        }
        if (helper_.ReadTimestamp(header_.Timestamp) != 0) {
            return stop(msg::kCannotReadTimestamp, DetailOf(source_, errno));
        }
        ops_.showSource(source_);
        if (auto end = recordSource(static_cast<std::int32_t>(size))) {
            return end;
        }
        if (!automatic_) {
            return fixSize();
        }
        return std::nullopt;
    }

    Outcome recordSource(std::int32_t size) {
        std::string recorded = RecordedFormOf(source_);
        // A full path too long for the header would make a set no join accepts; the
        // join uses only the name, so record just that.
        if (recorded.size() + 1 > static_cast<std::size_t>(kMaxNameLength)) {
            std::string folder;
            SplitPath(source_, folder, recorded);
            if (recorded.size() + 1 > static_cast<std::size_t>(kMaxNameLength)) {
                return stop(msg::kNameTooLong, source_);
            }
        }
        header_.NameLength = static_cast<std::int32_t>(recorded.size() + 1);
        header_.RecordedName = std::move(recorded);
        header_.OriginalSize = size;
        header_.Attributes = platform::ReadAttributeWord(source_);
        header_.ArchiveFlag = ops_.archiveMark();
        header_.PieceNumber = 0;
        return std::nullopt;
    }

    Outcome fixSize() {
        pieceSize_ = FixedPieceSize(choice_, ops_);
        if (pieceSize_ <= header_.firstHeaderBytes()) {
            return stop(msg::kPieceSizeTooSmall);
        }
        const std::int64_t pieces =
            PiecesNeeded(header_.OriginalSize, pieceSize_, header_.firstHeaderBytes());
        if (pieces > kLastPieceNumber + 1) {
            return stop(msg::kTooManyPieces);
        }
        // Every piece name is known now: refuse before writing anything rather than
        // leave a half-made set behind when a later piece would be the source itself.
        for (std::int32_t number = 0; number < pieces; ++number) {
            std::string text, path;
            if (PadNumber(number, text, 3) == 0 &&
                ReplaceExtension(destination_, text, path) == 0 &&
                platform::SameFile(sourceStream_, path)) {
                return stop(msg::kPieceIsSource, path);
            }
        }
        return std::nullopt;
    }

    std::int32_t headerBytes() const {
        return pieceNumber_ == 0 ? header_.firstHeaderBytes() : kLaterHeaderBytes;
    }

    Outcome preparePiece() {
        std::string number;
        if (PadNumber(pieceNumber_, number, 3) != 0) {
            return stop(msg::kTooManyPieces);
        }
        if (automatic_) {
            if (auto end = measureDisk()) {
                return end;
            }
        } else if (auto end = findMedium()) {
            return end;
        }
        if (ReplaceExtension(destinationNow_, number, piecePath_) != 0) {
            return stop(msg::kNoPieceName, destinationNow_);
        }
        if (platform::SameFile(sourceStream_, piecePath_)) {
            return stop(msg::kPieceIsSource, piecePath_);
        }
        if (auto end = checkOverwrite()) {
            return end;
        }
        if (auto end = openPiece()) {
            return end;
        }
        ops_.showPiece(piecePath_);
        pieceStart_ = consumed_;
        const bool written = pieceNumber_ == 0 ? WriteFirstHeader(piece_, header_)
                                               : WritePieceNumber(piece_, pieceNumber_);
        if (!written) {
            return writeFailed(errno);
        }
        return std::nullopt;
    }

    // The free space of the disk in the drive is this piece's size. A disk that cannot
    // take the header and one byte of data counts as full, and so does the disk the last
    // piece ran out of room on, whatever it still claims to have free.
    Outcome measureDisk() {
        if (diskRanFull_) {
            diskRanFull_ = false;
            if (askForNextDisk() == MessageReply::Cancel) {
                return leave(-1);
            }
        }
        for (;;) {
            std::string problem;
            const auto here = drives_.pathOn(place_, &problem);
            const auto free = here ? drives_.freeBytes(drive_) : std::nullopt;
            if (!free) {
                if (tell(msg::kInsertDisk, problem.empty() ? drive_ : problem) ==
                    MessageReply::Cancel) {
                    return leave(-1);
                }
                continue;
            }
            if (*free <= headerBytes()) {
                if (askForNextDisk() == MessageReply::Cancel) {
                    return leave(-1);
                }
                continue;
            }
            pieceSize_ = *free;
            destinationNow_ = *here;
            return std::nullopt;
        }
    }

    // Every piece is on its disk by now; a disk the system's disk service mounted is
    // unmounted, so the user can take it out safely.
    MessageReply askForNextDisk() {
        const std::string refused = place_.removable ? drives_.release(drive_) : std::string();
        return tell(msg::kInsertNextDisk, refused.empty() ? drives_.describe(drive_) : refused);
    }

    // A fixed size never asks for a disk, but a removable drive may have lost its disk
    // meanwhile: the pieces must not land in the bare folder left behind.
    Outcome findMedium() {
        for (;;) {
            std::string problem;
            if (const auto here = drives_.pathOn(place_, &problem)) {
                destinationNow_ = *here;
                return std::nullopt;
            }
            if (tell(msg::kCannotCreatePiece, problem) == MessageReply::Cancel) {
                return leave(-1);
            }
        }
    }

    Outcome checkOverwrite() {
        if (overwriteAll_ || FileIsPresent(piecePath_) == 0) {
            return std::nullopt;
        }
        switch (ops_.askOverwrite(piecePath_)) {
        case OverwriteAnswer::OverwriteAll:
            overwriteAll_ = true;
            break;
        case OverwriteAnswer::Cancel:
            return leave(-1);
        case OverwriteAnswer::Overwrite:
            break;
        }
        return std::nullopt;
    }

    // A Retry opens again at once: the size stays as measured before.
    Outcome openPiece() {
        const MessageBoxSpec& prompt =
            automatic_ ? msg::kCannotCreatePieceOnDisk : msg::kCannotCreatePiece;
        while ((piece_ = platform::OpenForWriting(piecePath_)) == nullptr) {
            if (tell(prompt, DetailOf(piecePath_, errno)) == MessageReply::Cancel) {
                return leave(-1);
            }
        }
        return std::nullopt;
    }

    // Copies this piece's data budget, then closes the piece; when the source ends, the
    // split finishes.
    Outcome copyPiece() {
        const std::int64_t budget = pieceSize_ - headerBytes();
        copier_.emplace(sourceStream_, piece_, buffer_.data(),
                        std::min(budget, header_.OriginalSize - consumed_));
        std::int64_t blockEnd = 0;
        for (;;) {
            blockEnd += BlockSize;
            const bool lastOfPiece = blockEnd >= budget;
            const std::int64_t asked = lastOfPiece ? budget - (blockEnd - BlockSize) : BlockSize;
            // Never read past the size the header records, so the set always joins.
            const std::int64_t wanted = std::min(asked, header_.OriginalSize - consumed_);
            const platform::BlockCopy copy = copier_->copy(static_cast<std::size_t>(wanted));
            consumed_ += static_cast<std::int64_t>(copy.read);
            if (static_cast<std::int64_t>(copy.read) < wanted) {
                return stop(msg::kReadError, DetailOf(source_, copy.error));
            }
            if (copy.written < copy.read) {
                return writeFailed(copy.error);
            }
            if (wanted < asked) {
                return finish();
            }
            ops_.processEvents();
            if (ops_.cancelRequested()) {
                return stop(msg::kCancelled);
            }
            totalCopied_ += static_cast<std::int64_t>(copy.read);
            ops_.showProgress(static_cast<int>(totalCopied_ * 100 / header_.OriginalSize));
            if (lastOfPiece) {
                return endPiece();
            }
        }
    }

    Outcome endPiece() {
        if (const int error = closePiece()) {
            return writeFailed(error);
        }
        ++pieceNumber_;
        return std::nullopt;
    }

    Outcome finish() {
        // Buffered data reaches the disk only at close or sync: a full or failing disk may
        // show itself there.
        if (const int error = closePiece()) {
            return writeFailed(error);
        }
        ops_.showProgress(100);
        ops_.processEvents();
        closeFiles();
        tell(msg::kFinished);
        return leave(0);
    }

    // Automatic sizing trusts the free space the drive reports; a file system that needs
    // room of its own for a large file may still run out first. Then the piece ends where
    // the disk did and the split goes on with the next disk. Elsewhere a full disk ends
    // the split.
    Outcome writeFailed(int error) {
        if (automatic_ && OutOfSpace(error)) {
            return cutAtDiskEnd();
        }
        // A piece that did not reach its disk whole would pass for a good one.
        copier_.reset();
        platform::CloseStream(piece_);
        std::remove(piecePath_.c_str());
        return stop(msg::kWriteError, DetailOf(piecePath_, error));
    }

    // The pieces record no sizes, so a shorter piece joins like any other. A piece that
    // did not get its header and a byte of data onto the disk is no piece at all: it is
    // removed, and written again on the next disk under the same number.
    Outcome cutAtDiskEnd() {
        copier_.reset();
        if (piece_ != nullptr) {
            std::fflush(piece_);  // fails for lack of room: what reached the disk counts
            const int failure = place_.removable ? platform::SyncWritten(piece_) : 0;
            if (failure != 0 && !OutOfSpace(failure)) {
                return writeFailed(failure);
            }
            platform::CloseStream(piece_);
        }
        std::error_code error;
        const auto onDisk = std::filesystem::file_size(piecePath_, error);
        const std::int64_t kept = error ? 0 : static_cast<std::int64_t>(onDisk) - headerBytes();
        if (kept > 0) {
            consumed_ = pieceStart_ + kept;
            ++pieceNumber_;
        } else {
            consumed_ = pieceStart_;
            std::filesystem::remove(piecePath_, error);
        }
        if (!platform::SeekStream(sourceStream_, consumed_, SEEK_SET)) {
            return stop(msg::kReadError, DetailOf(source_, errno));
        }
        totalCopied_ = consumed_;
        diskRanFull_ = true;
        return std::nullopt;
    }

    // 0, or the system's error number. On removable media the piece and its folder entry
    // are synced: a disk taken out at the next prompt holds the whole piece, and a disk
    // that fails on write says so before the split does. Fixed disks keep their speed.
    int closePiece() {
        copier_.reset();
        if (piece_ == nullptr) {
            return 0;
        }
        // A write that failed earlier (even of buffered header bytes) leaves the error
        // mark on the stream; a failing close may be the first sign of a full disk.
        const bool failedBefore = std::ferror(piece_) != 0;
        int error = place_.removable ? platform::SyncStream(piece_) : 0;
        errno = 0;
        const bool closed = platform::CloseStream(piece_);
        if (error == 0 && (!closed || failedBefore)) {
            error = errno != 0 ? errno : EIO;
        }
        if (error == 0 && place_.removable) {
            std::string folder, name;
            SplitPath(piecePath_, folder, name);
            error = platform::SyncFolder(folder);
        }
        return error;
    }

    void closeFiles() {
        closePiece();
        platform::CloseStream(sourceStream_);
    }

    MessageReply tell(const MessageBoxSpec& box, const std::string& detail = {}) {
        return Show(ops_, box, detail);
    }

    int stop(const MessageBoxSpec& box, const std::string& detail = {}) {
        tell(box, detail);
        return leave(-1);
    }

    int leave(int result) {
        closeFiles();
        ops_.release();
        return result;
    }

    const std::string source_;
    const std::string destination_;
    SplitOperations& ops_;
    platform::DriveQueries& drives_;

    std::FILE* sourceStream_ = nullptr;
    std::FILE* piece_ = nullptr;
    FileHelper helper_;
    PieceHeader header_;
    SizeChoice choice_ = SizeChoice::Floppy1440K;
    bool automatic_ = false;
    platform::DrivePlace place_;  // where the pieces go, on whichever disk is in the drive
    std::string drive_;
    std::string destinationNow_;  // the destination on the disk in the drive now
    bool diskRanFull_ = false;  // the last piece ended where the disk did
    std::int32_t pieceNumber_ = 0;
    std::int32_t pieceSize_ = 0;
    std::string piecePath_;
    bool overwriteAll_ = false;
    std::int64_t totalCopied_ = 0;  // data bytes in complete blocks, for the progress figure
    std::int64_t consumed_ = 0;     // every byte read from the source
    std::int64_t pieceStart_ = 0;   // where in the source this piece's data begins
    std::vector<std::uint8_t> buffer_;
    std::optional<platform::BlockCopier> copier_;  // owns both positions while a piece fills
};

}  // namespace

int DivideFile(const std::string& sourcePath, const std::string& destinationPath,
               SplitOperations& ops, platform::DriveQueries& drives) {
    return Divider(sourcePath, destinationPath, ops, drives).run();
}

}  // namespace zolvane
