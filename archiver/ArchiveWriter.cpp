#include "archiver/ArchiveWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <limits>
#include <set>

#include "archiver/Crc16.h"
#include "archiver/FileDescriptor.h"
#include "archiver/Lh5Encoder.h"
#include "archiver/LzhHeader.h"

namespace zolvane::archiver {
namespace {

constexpr std::size_t kCopyBlock = std::size_t{1} << 20;
// Bytes after the end byte that we keep in memory to restore them on failure; an archive
// with more trailing bytes than this is rewritten instead.
constexpr std::uint64_t kMaxSavedTail = std::uint64_t{1} << 20;

std::string SystemError(const std::string& what, const std::string& path, int error = errno) {
    return what + " " + path + ": " + std::strerror(error);
}

std::string WriteError(int error = errno) {
    return std::string("cannot write the archive: ") + std::strerror(error);
}

bool WriteAt(int fd, std::uint64_t offset, const std::uint8_t* data, std::size_t size) {
    return WriteAll(fd, data, size, static_cast<std::int64_t>(offset));
}

long ReadSome(int fd, std::uint8_t* data, std::size_t size) {
    for (;;) {
        ssize_t got = read(fd, data, size);
        if (got >= 0 || errno != EINTR) {
            return static_cast<long>(got);
        }
    }
}

// Reads a file front to back, keeping its CRC and length, and the reason of a failed read:
// the encoder in between may well touch errno.
class FileSource : public ByteSource {
public:
    explicit FileSource(int fd) : fd_(fd) {}
    long read(std::uint8_t* data, std::size_t size) override {
        long got = ReadSome(fd_, data, size);
        if (got > 0) {
            crc_ = UpdateCrc16(crc_, data, static_cast<std::size_t>(got));
            total_ += static_cast<std::uint64_t>(got);
        } else if (got < 0) {
            error_ = errno;
        }
        return got;
    }
    std::uint16_t crc() const { return crc_; }
    std::uint64_t total() const { return total_; }
    int error() const { return error_; }

private:
    int fd_;
    std::uint16_t crc_ = 0;
    std::uint64_t total_ = 0;
    int error_ = 0;
};

class ArchiveSink : public ByteSink {
public:
    ArchiveSink(int fd, std::uint64_t offset) : fd_(fd), offset_(offset) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        if (!WriteAt(fd_, offset_, data, size)) {
            error_ = errno;
            return false;
        }
        offset_ += size;
        return true;
    }
    int error() const { return error_; }

private:
    int fd_;
    std::uint64_t offset_;
    int error_ = 0;
};

std::uint32_t UnixTime(const struct timespec& time) {
    if (time.tv_sec < 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(
        static_cast<std::uint64_t>(time.tv_sec), std::numeric_limits<std::uint32_t>::max()));
}

class MemberWriter {
public:
    // Writes one member at offset and moves offset past it.
    std::string write(int archiveFd, std::uint64_t& offset, const SelectedItem& item) {
        MemberHeader header;
        header.path = item.storedPath;
        header.folder = item.folder;
        header.mtime = UnixTime(item.info.st_mtim);
        header.unixMode = static_cast<std::uint16_t>(item.info.st_mode);
        if (item.folder) {
            header.method = "-lhd-";
            if (BuildLevel2Header(header).size() > 0xFFFF) {
                return "name too long: " + item.diskPath;
            }
            return writeHeader(archiveFd, offset, header) ? std::string() : WriteError();
        }
        return writeFile(archiveFd, offset, item, header);
    }

private:
    // The header's size is checked before: a failure here is the system's.
    static bool writeHeader(int fd, std::uint64_t& offset, const MemberHeader& header) {
        std::vector<std::uint8_t> bytes = BuildLevel2Header(header);
        if (!WriteAt(fd, offset, bytes.data(), bytes.size())) {
            return false;
        }
        offset += bytes.size();
        return true;
    }

    std::string writeFile(int archiveFd, std::uint64_t& offset, const SelectedItem& item,
                          MemberHeader& header) {
        FileDescriptor input(open(item.diskPath.c_str(), O_RDONLY | O_CLOEXEC));
        if (input.get() < 0) {
            return SystemError("cannot open", item.diskPath);
        }
        const auto size = static_cast<std::uint64_t>(item.info.st_size);
        if (size > std::numeric_limits<std::uint32_t>::max()) {
            return "file too large for an LZH archive: " + item.diskPath;
        }
        header.method = "-lh5-";
        const std::size_t headerSize = BuildLevel2Header(header).size();
        if (headerSize > 0xFFFF) {
            return "name too long: " + item.diskPath;
        }
        const std::uint64_t dataStart = offset + headerSize;

        std::uint64_t packedSize = 0;
        EncodeOutcome outcome = EncodeOutcome::NotSmaller;
        FileSource source(input.get());
        ArchiveSink sink(archiveFd, dataStart);
        if (size > 0) {
            outcome = encoder_.encode(source, sink, size - 1, packedSize);
        }
        if (outcome == EncodeOutcome::ReadFailed) {
            return SystemError("cannot read", item.diskPath, source.error());
        }
        if (outcome == EncodeOutcome::WriteFailed) {
            return WriteError(sink.error());
        }
        std::uint64_t originalSize = source.total();
        std::uint16_t crc = source.crc();
        if (outcome == EncodeOutcome::NotSmaller) {
            // Packing would not shrink the data: store it as it is.
            header.method = "-lh0-";
            if (lseek(input.get(), 0, SEEK_SET) != 0) {
                return SystemError("cannot read", item.diskPath);
            }
            FileSource again(input.get());
            std::vector<std::uint8_t> block(kCopyBlock);
            std::uint64_t at = dataStart;
            for (;;) {
                long got = again.read(block.data(), block.size());
                if (got < 0) {
                    return SystemError("cannot read", item.diskPath);
                }
                if (got == 0) {
                    break;
                }
                if (!WriteAt(archiveFd, at, block.data(), static_cast<std::size_t>(got))) {
                    return WriteError();
                }
                at += static_cast<std::uint64_t>(got);
            }
            originalSize = again.total();
            packedSize = originalSize;
            crc = again.crc();
        }
        if (originalSize > std::numeric_limits<std::uint32_t>::max()) {
            return "file too large for an LZH archive: " + item.diskPath;
        }
        header.packedSize = static_cast<std::uint32_t>(packedSize);
        header.originalSize = static_cast<std::uint32_t>(originalSize);
        header.crc = crc;
        std::uint64_t headerAt = offset;
        if (!writeHeader(archiveFd, headerAt, header)) {
            return WriteError();
        }
        offset = dataStart + packedSize;
        return {};
    }

    Lh5Encoder encoder_;
};

std::string WriteMembers(int fd, std::uint64_t& offset, const std::vector<SelectedItem>& items,
                         AddResult& result) {
    MemberWriter writer;
    for (const auto& item : items) {
        std::string error = writer.write(fd, offset, item);
        if (!error.empty()) {
            return error;
        }
        ++(item.folder ? result.folders : result.files);
    }
    const std::uint8_t endByte = 0;
    if (!WriteAt(fd, offset, &endByte, 1) || ftruncate(fd, static_cast<off_t>(offset + 1)) != 0) {
        return WriteError();
    }
    return {};
}

// Copies size bytes; returns why it could not, or nothing.
std::string CopyRange(int from, std::uint64_t fromOffset, int to, std::uint64_t toOffset,
                      std::uint64_t size) {
    std::vector<std::uint8_t> block(
        static_cast<std::size_t>(std::min<std::uint64_t>(size, kCopyBlock)));
    while (size > 0) {
        const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(size, block.size()));
        ssize_t got = pread(from, block.data(), chunk, static_cast<off_t>(fromOffset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::string("cannot read: ") + std::strerror(errno);
        }
        if (got == 0) {
            return "it got shorter";  // since it was scanned
        }
        if (!WriteAt(to, toOffset, block.data(), static_cast<std::size_t>(got))) {
            return std::string("cannot write: ") + std::strerror(errno);
        }
        size -= static_cast<std::uint64_t>(got);
        fromOffset += static_cast<std::uint64_t>(got);
        toOffset += static_cast<std::uint64_t>(got);
    }
    return {};
}

AddResult CreateArchive(const std::string& path, const std::vector<SelectedItem>& items) {
    AddResult result;
    FileDescriptor fd(open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
        result.error = SystemError("cannot create", path);
        return result;
    }
    std::uint64_t offset = 0;
    result.error = WriteMembers(fd.get(), offset, items, result);
    if (!result.error.empty()) {
        fd.reset();
        unlink(path.c_str());
    }
    return result;
}

AddResult AppendInPlace(int fd, const std::string& path, std::uint64_t fileSize,
                        const ArchiveLayout& layout, const std::vector<SelectedItem>& items) {
    AddResult result;
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(fileSize - layout.endOffset));
    if (!tail.empty()) {
        const ssize_t got =
            pread(fd, tail.data(), tail.size(), static_cast<off_t>(layout.endOffset));
        if (got != static_cast<ssize_t>(tail.size())) {
            result.error = got < 0 ? SystemError("cannot read", path)
                                   : "cannot read " + path + ": the archive got shorter";
            return result;
        }
    }
    std::uint64_t offset = layout.endOffset;
    result.error = WriteMembers(fd, offset, items, result);
    if (!result.error.empty()) {
        // Put back exactly the bytes we wrote over.
        if (ftruncate(fd, static_cast<off_t>(layout.endOffset)) != 0 ||
            !WriteAt(fd, layout.endOffset, tail.data(), tail.size())) {
            result.error +=
                std::string("; restoring the archive failed too: ") + std::strerror(errno);
        }
    }
    return result;
}

AddResult RewriteBeside(int fd, const std::string& path, const struct stat& info,
                        const ArchiveLayout& layout, const std::set<std::string>& replaced,
                        const std::vector<SelectedItem>& items) {
    AddResult result;
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temporary = folder + "." + base + ".zvtmp-XXXXXX";
    FileDescriptor out(mkostemp(temporary.data(), O_CLOEXEC));
    if (out.get() < 0) {
        result.error = SystemError("cannot create a temporary file beside", path);
        return result;
    }
    std::uint64_t offset = 0;
    for (const auto& member : layout.members) {
        if (replaced.count(member.path) != 0) {
            ++result.replaced;
            continue;
        }
        const std::string copyError = CopyRange(fd, member.offset, out.get(), offset, member.size);
        if (!copyError.empty()) {
            result.error = "cannot copy the members of " + path + ": " + copyError;
            break;
        }
        offset += member.size;
    }
    if (result.error.empty()) {
        result.error = WriteMembers(out.get(), offset, items, result);
    }
    if (result.error.empty() &&
        (fchmod(out.get(), info.st_mode & 07777) != 0 || fsync(out.get()) != 0 ||
         rename(temporary.c_str(), path.c_str()) != 0)) {
        result.error = SystemError("cannot replace", path);
    }
    if (!result.error.empty()) {
        unlink(temporary.c_str());
    }
    return result;
}

}  // namespace

AddResult AddToArchive(const std::string& archivePath, const std::vector<SelectedItem>& items) {
    struct stat info {};
    if (stat(archivePath.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            return {SystemError("cannot reach", archivePath)};
        }
        return CreateArchive(archivePath, items);
    }
    if (!S_ISREG(info.st_mode)) {
        return {"not a regular file: " + archivePath};
    }
    FileDescriptor fd(open(archivePath.c_str(), O_RDWR | O_CLOEXEC));
    if (fd.get() < 0) {
        return {SystemError("cannot open", archivePath)};
    }
    const auto fileSize = static_cast<std::uint64_t>(info.st_size);
    ArchiveLayout layout;
    std::string error = ScanArchive(fd.get(), fileSize, layout);
    if (!error.empty()) {
        return {archivePath + ": " + error};
    }
    std::set<std::string> present;
    for (const auto& member : layout.members) {
        present.insert(member.path);
    }
    // A folder entry that is there already stays; a file of the same name is replaced.
    std::vector<SelectedItem> toWrite;
    std::set<std::string> replaced;
    for (const auto& item : items) {
        if (present.count(item.storedPath) == 0) {
            toWrite.push_back(item);
        } else if (!item.folder) {
            replaced.insert(item.storedPath);
            toWrite.push_back(item);
        }
    }
    if (replaced.empty() && fileSize - layout.endOffset <= kMaxSavedTail) {
        return AppendInPlace(fd.get(), archivePath, fileSize, layout, toWrite);
    }
    return RewriteBeside(fd.get(), archivePath, info, layout, replaced, toWrite);
}

}  // namespace zolvane::archiver
