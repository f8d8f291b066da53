// The join engine. Pieces are read in 30000-byte blocks through one buffer; after every
// block that does not complete the file the engine lets its surroundings handle events
// and asks whether the user has cancelled.
#include "join/JoinFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "join/JoinMessages.h"
#include "pieces/FileHelper.h"
#include "pieces/PathRoutines.h"
#include "pieces/PieceHeader.h"
#include "pieces/RecordedName.h"
#include "platform/FileAttributes.h"
#include "platform/Processes.h"
#include "platform/Streams.h"

namespace zolvane {
namespace {

namespace msg = join_messages;

constexpr const char* kTemporaryPrefix = ".zvjoin-";

// The output's temporary name carries the process's number, so a later join can tell the
// leftovers of a run that was killed from a join still running. It starts with a dot and
// is never a piece.
std::string TemporaryName(int attempt) {
    return kTemporaryPrefix + std::to_string(platform::CurrentProcessId()) + "-" +
           std::to_string(attempt) + ".tmp";
}

// The process number in a temporary name of ours ("PID-N" after the prefix, with the given
// ending); 0 for an older name without one, -1 for a name that is not ours.
long OwnerOf(const std::string& name, const std::string& prefix, const std::string& ending) {
    if (name.size() <= prefix.size() + ending.size() || name.rfind(prefix, 0) != 0 ||
        name.compare(name.size() - ending.size(), ending.size(), ending) != 0) {
        return -1;
    }
    const std::string middle =
        name.substr(prefix.size(), name.size() - prefix.size() - ending.size());
    const auto dash = middle.find('-');
    const std::string owner = dash == std::string::npos ? std::string() : middle.substr(0, dash);
    const std::string attempt = dash == std::string::npos ? middle : middle.substr(dash + 1);
    auto digits = [](const std::string& text) {
        return !text.empty() && text.size() < 10 &&
               text.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!digits(attempt) || (dash != std::string::npos && !digits(owner))) {
        return -1;
    }
    return owner.empty() ? 0 : std::stol(owner);
}

// Removes what joins and unpacks killed before they could clean up left in the folder:
// the output's temporary files and the archiver's.
void RemoveStaleTemporaries(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder.empty() ? "." : folder, error)) {
        const std::string name = entry.path().filename().string();
        long owner = OwnerOf(name, kTemporaryPrefix, ".tmp");
        if (owner < 0) {
            owner = OwnerOf(name, ".zvtmp-", "");
            if (owner == 0) {
                continue;  // the archiver's names always carry a process number
            }
        }
        std::error_code ignored;
        if (owner >= 0 && !platform::ProcessRuns(owner) &&
            entry.symlink_status(ignored).type() == fs::file_type::regular) {
            fs::remove(entry.path(), ignored);
        }
    }
}

class Joiner {
public:
    Joiner(const std::string& selected, const std::string& destination, JoinOperations& ops,
           platform::DriveQueries& drives)
        : selected_(selected),
          destination_(destination),
          ops_(ops),
          drives_(drives),
          buffer_(BlockSize) {}

    int run() {
        // Pieces on removable media are looked for in the same folder of whichever disk is
        // in the drive, wherever it is mounted.
        place_ = drives_.placeOf(selected_);
        drive_ = place_.drive;
        RemoveStaleTemporaries(destination_);
        for (;; ++pieceNumber_) {
            if (auto end = openPiece()) {
                return *end;
            }
            if (pieceNumber_ == 0) {
                if (auto end = startOutput()) {
                    return *end;
                }
            }
            if (auto end = checkNumber()) {
                return *end;
            }
            if (auto end = copyPiece()) {
                return *end;
            }
            closePiece();
        }
    }

private:
    using Outcome = std::optional<int>;  // set when the run has ended with that result

    // The disk check, then the open, asking while the piece cannot be found.
    Outcome openPiece() {
        if (pieceNumber_ > kLastPieceNumber) {
            return stop(msg::kPastLastPiece, piecePath_);
        }
        std::string problem;
        if (!driveReady(problem)) {
            const MessageBoxSpec& prompt =
                pieceNumber_ == 0 ? msg::kInsertDisk : msg::kInsertNextDisk;
            if (tell(prompt, problem) == MessageReply::Cancel) {
                return leave(-1);
            }
        }
        for (;;) {
            std::string detail;
            if (const auto here = drives_.pathOn(place_, &detail)) {
                piecePath_ = PiecePathOf(*here, pieceNumber_);
                if ((piece_ = std::fopen(piecePath_.c_str(), "rb")) != nullptr) {
                    break;
                }
                detail = DetailOf(piecePath_, errno);
            }
            // The next disk goes in now: the one in the drive must be free to come out.
            if (place_.removable) {
                const std::string refused = drives_.release(drive_);
                if (!refused.empty()) {
                    detail += "\n" + refused;
                }
            }
            if (tell(msg::kPieceNotFound, detail) == MessageReply::Cancel) {
                return leave(-1);
            }
        }
        ops_.showPiece(piecePath_);
        return std::nullopt;
    }

    bool driveReady(std::string& problem) {
        if (!place_.removable) {
            problem = drive_;
            return drives_.isReady(drive_);
        }
        const platform::Medium now = drives_.medium(drive_);
        problem = now.problem;
        return !now.root.empty();
    }

    Outcome startOutput() {
        if (auto end = readHeader()) {
            return end;
        }
        const auto name = OutputNameOf(header_.RecordedName);
        if (!name) {
            return stop(msg::kBadName, piecePath_);
        }
        if (auto end = findDestination()) {
            return end;
        }
        outputPath_ = destination_ + *name;
        if (header_.ArchiveFlag == 1) {
            // The unpack command quotes the archive and the folder without escapes: a quote
            // inside either would name some other file.
            if (name->find('"') != std::string::npos) {
                return stop(msg::kBadName, piecePath_);
            }
            if (destination_.find('"') != std::string::npos) {
                return stop(msg::kUnusableDestination, destination_);
            }
        }
        if (IsPieceOfSet(selected_, outputPath_)) {
            return stop(msg::kOutputIsPiece, outputPath_);
        }
        // The name is looked up before any piece is read: a name the system cannot take
        // (too long, say) must not cost the user a pass over every disk.
        std::error_code lookup;
        const auto status = std::filesystem::symlink_status(outputPath_, lookup);
        if (lookup && status.type() != std::filesystem::file_type::not_found) {
            return stop(msg::kCannotCreateOutput, DetailOf(outputPath_, lookup.value()));
        }
        if (status.type() == std::filesystem::file_type::directory) {
            return stop(msg::kCannotCreateOutput, DetailOf(outputPath_, EISDIR));
        }
        // The output replaces whatever holds its name, so anything there is asked about: an
        // unreadable file or a link as much as a file that can be opened.
        if (!overwriteAll_ && status.type() != std::filesystem::file_type::not_found) {
            switch (ops_.askOverwrite(RecordedNameAsText(header_.RecordedName), outputPath_)) {
            case OverwriteAnswer::OverwriteAll:
                overwriteAll_ = true;
                break;
            case OverwriteAnswer::Cancel:
                return leave(-1);
            case OverwriteAnswer::Overwrite:
                break;
            }
        }
        if (!createTemporary()) {
            return stop(msg::kCannotCreateOutput, DetailOf(outputPath_, errno));
        }
        ops_.showOutput(outputPath_);
        return std::nullopt;
    }

    // A destination on removable media whose disk has gone is a bare folder of the
    // system disk: nothing is written there.
    Outcome findDestination() {
        const platform::DrivePlace place = drives_.placeOf(destination_);
        if (!place.removable) {
            return std::nullopt;
        }
        std::string problem;
        const auto here = drives_.pathOn(place, &problem);
        if (!here) {
            return stop(msg::kCannotCreateOutput, problem);
        }
        destination_ = *here;
        if (destination_.empty() || destination_.back() != '/') {
            destination_ += '/';
        }
        return std::nullopt;
    }

    Outcome readHeader() {
        switch (ReadFirstHeader(piece_, header_)) {
        case HeaderStatus::Ok:
            break;
        case HeaderStatus::BadMagic:
            return stop(msg::kNotAPiece, piecePath_);
        case HeaderStatus::NameTooLong:
            return stop(msg::kNameTooLong, piecePath_);
        case HeaderStatus::BadName:
            return stop(msg::kBadName, piecePath_);
        case HeaderStatus::Truncated:
            return stop(msg::kBrokenHeader, piecePath_);
        case HeaderStatus::ReadFailed:
            return stop(msg::kReadFailed, DetailOf(piecePath_, errno));
        }
        if (header_.OriginalSize < 0) {
            return stop(msg::kBrokenHeader, piecePath_);
        }
        return std::nullopt;
    }

    // The data goes to a new file beside the output, which takes the output's name only
    // once it is complete: a join that stops leaves the destination as it was, and a file
    // it replaces survives until then. The name starts with a dot, so it is never a piece.
    bool createTemporary() {
        for (int attempt = 0; attempt < 1000; ++attempt) {
            temporaryPath_ = destination_ + TemporaryName(attempt);
            if ((output_ = std::fopen(temporaryPath_.c_str(), "wbx")) != nullptr) {
                return true;
            }
            if (errno != EEXIST) {
                break;
            }
        }
        const int error = errno;
        temporaryPath_.clear();
        errno = error;
        return false;
    }

    // The one check of the pieces' order: a renamed piece still carries its old number.
    Outcome checkNumber() {
        std::int32_t number = header_.PieceNumber;
        if (pieceNumber_ != 0) {
            const NumberRead read = ReadPieceNumber(piece_, number);
            // A disk that fails is not a renamed piece.
            if (read.status == NumberStatus::ReadFailed) {
                return stop(msg::kReadFailed, DetailOf(piecePath_, read.error));
            }
            if (!read) {
                return stop(msg::kWrongNumber, piecePath_);
            }
        }
        if (number != pieceNumber_) {
            return stop(msg::kWrongNumber, piecePath_);
        }
        if (header_.OriginalSize == 0) {
            return finish();  // an empty file is complete at once
        }
        return std::nullopt;
    }

    // Appends this piece's data; nothing when the piece is used up and another follows.
    Outcome copyPiece() {
        bool lastBlock = false;
        copier_.emplace(piece_, output_, buffer_.data(),
                        std::min(pieceDataLeft(), header_.OriginalSize - total_));
        for (;;) {
            const platform::BlockCopy copy = copier_->copy(buffer_.size());
            // A failing disk must not pass for the end of a piece: data would go missing.
            if (copy.readFailed) {
                return stop(msg::kReadFailed, DetailOf(piecePath_, copy.error));
            }
            if (copy.read == 0) {
                return std::nullopt;
            }
            lastBlock = copy.read < buffer_.size();
            total_ += static_cast<std::int64_t>(copy.read);
            if (copy.written < copy.read) {
                return stop(msg::kWriteFailed, DetailOf(outputPath_, copy.error));
            }
            if (total_ > header_.OriginalSize) {
                return stop(msg::kTooMuchData, piecePath_);
            }
            if (total_ == header_.OriginalSize) {
                return finish();
            }
            ops_.showProgress(static_cast<int>(static_cast<double>(total_) * 100.0 /
                                               static_cast<double>(header_.OriginalSize)));
            ops_.processEvents();
            if (ops_.cancelRequested()) {
                return stop(msg::kCancelled);
            }
            if (lastBlock) {
                return std::nullopt;
            }
        }
    }

    std::int64_t pieceDataLeft() {
        FileHelper piece;
        piece.AttachStream(piece_);
        const std::int64_t size = piece.MeasureSize();
        const std::int64_t position = platform::TellStream(piece_);
        return size < 0 || position < 0 ? 0 : size - position;
    }

    Outcome finish() {
        // All data must be on disk before the time is set, and a full disk must not pass
        // for success.
        copier_.reset();
        if (std::fflush(output_) != 0 || std::ferror(output_) != 0) {
            return stop(msg::kWriteFailed, DetailOf(outputPath_, errno));
        }
        helper_.AttachStream(output_);
        helper_.WriteTimestamp(header_.Timestamp);
        if (header_.Attributes != -1) {
            platform::ApplyAttributeWord(temporaryPath_, header_.Attributes);
        }
        ops_.showProgress(100);
        ops_.processEvents();
        closePiece();
        // The file replaces the old one only once it is on the disk, time and attributes
        // included: a disk that fails on write keeps the old copy and says why.
        if (const int error = platform::SyncStream(output_)) {
            return stop(msg::kWriteFailed, DetailOf(outputPath_, error));
        }
        if (!platform::CloseStream(output_)) {
            return stop(msg::kWriteFailed, DetailOf(outputPath_, errno));
        }
        // Replaces an existing file in one step, a read-only one the user agreed to
        // overwrite included.
        if (std::rename(temporaryPath_.c_str(), outputPath_.c_str()) != 0) {
            return stop(msg::kCannotCreateOutput, DetailOf(outputPath_, errno));
        }
        temporaryPath_.clear();
        if (const int error = platform::SyncFolder(destination_)) {
            return stop(msg::kWriteFailed, DetailOf(destination_, error));
        }
        if (header_.ArchiveFlag == 1) {
            return extractArchive();
        }
        tell(msg::kFinished, outputPath_);
        return leave(0);
    }

    // The archive is deleted only once it has been unpacked: otherwise it is all the user
    // has of the files.
    Outcome extractArchive() {
        if (!ops_.archiverReady()) {
            return stop(msg::kNoArchiver, outputPath_);
        }
        const std::string command = UnpackCommand(outputPath_, destination_);
        if (ops_.archiverBusy()) {
            return stop(msg::kArchiverBusy, outputPath_);
        }
        if (!ops_.confirmUnpack(outputPath_, destination_)) {
            return stop(msg::kUnpackDeclined, outputPath_);
        }
        std::string report;
        if (ops_.runArchiver(command, report) != 0) {
            return stop(msg::kExtractionFailed,
                        report.empty() ? outputPath_ : outputPath_ + ": " + report);
        }
        if (std::remove(outputPath_.c_str()) != 0) {
            tell(msg::kCannotDeleteArchive, DetailOf(outputPath_, errno));
        }
        tell(msg::kFinished, destination_);
        return leave(0);
    }

    void closePiece() {
        copier_.reset();
        platform::CloseStream(piece_);
    }

    MessageReply tell(const MessageBoxSpec& box, const std::string& detail = {}) {
        return Show(ops_, box, detail);
    }

    int stop(const MessageBoxSpec& box, const std::string& detail = {}) {
        tell(box, detail);
        return leave(-1);
    }

    // Whatever stops the join leaves the destination as it was: the unfinished output goes.
    int leave(int result) {
        closePiece();
        platform::CloseStream(output_);
        if (!temporaryPath_.empty()) {
            std::remove(temporaryPath_.c_str());
            temporaryPath_.clear();
        }
        ops_.release();
        return result;
    }

    const std::string selected_;
    std::string destination_;
    JoinOperations& ops_;
    platform::DriveQueries& drives_;

    platform::DrivePlace place_;  // where the pieces are, on whichever disk is in the drive
    std::string drive_;
    std::int32_t pieceNumber_ = 0;
    std::string piecePath_;
    std::FILE* piece_ = nullptr;
    PieceHeader header_;
    std::string outputPath_;
    std::string temporaryPath_;  // while the output is being written
    std::FILE* output_ = nullptr;
    FileHelper helper_;
    bool overwriteAll_ = false;
    std::int64_t total_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::optional<platform::BlockCopier> copier_;  // owns both positions while a piece is read
};

}  // namespace

int JoinFile(const std::string& selectedPath, const std::string& destinationFolder,
             JoinOperations& ops, platform::DriveQueries& drives) {
    return Joiner(selectedPath, destinationFolder, ops, drives).run();
}

// The archive and the folder stand in quotes; the mask follows the folder's closing quote.
std::string UnpackCommand(const std::string& archivePath, const std::string& folder,
                          bool checkOnly) {
    return std::string(checkOnly ? "e -a1x1m0c1 \"" : "e -a1x1m0 \"") + archivePath + "\" \"" +
           folder + "\"*.*";
}

}  // namespace zolvane
