#include "archiver/Extractor.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <iconv.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "archiver/ByteStreams.h"
#include "archiver/FileDescriptor.h"
#include "archiver/FileSelection.h"
#include "archiver/Lh5Decoder.h"
#include "archiver/LzhHeader.h"

namespace zolvane::archiver {
namespace {

constexpr std::size_t kReadBlock = std::size_t{1} << 16;
// libarchive refuses -lh5- data shorter than this, which other LZH readers unpack.
constexpr std::uint64_t kShortestForLibarchive = 8;

// libarchive may have no text for an error. Its text of a failed read names no reason, so
// the system's is added where the error number is one: libarchive marks damage with EILSEQ
// and misuse with EINVAL (or -1), neither of which the system's text would explain.
std::string ReaderError(archive* reader, const char* fallback) {
    const char* why = archive_error_string(reader);
    std::string text = why != nullptr ? why : fallback;
    const int error = archive_errno(reader);
    if (error > 0 && error != EILSEQ && error != EINVAL) {
        const char* reason = std::strerror(error);
        if (text.find(reason) == std::string::npos) {
            text += std::string(": ") + reason;
        }
    }
    return text;
}

bool IsValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        unsigned minimum = 0;
        unsigned value = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, minimum = 0x80, value = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, minimum = 0x800, value = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, minimum = 0x10000, value = lead & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size()) {
            return false;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            value = (value << 6) | (next & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

std::string FromCp932(const std::string& raw) {
    iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    std::string out(raw.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(raw.data());
    std::size_t inLeft = raw.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    std::size_t done = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(converter);
    if (done == static_cast<std::size_t>(-1) || inLeft != 0) {
        return {};
    }
    out.resize(out.size() - outLeft);
    return out;
}

// A name split into parts, or an error when it must not be written anywhere.
struct SafeName {
    std::vector<std::string> parts;
    std::string error;
};

SafeName SplitMemberName(const std::string& name) {
    SafeName result;
    if (name.empty()) {
        result.error = "empty name";
        return result;
    }
    if (name.front() == '/' || name.front() == '\\' || (name.size() >= 2 && name[1] == ':')) {
        result.error = "absolute name";
        return result;
    }
    std::size_t start = 0;
    while (start <= name.size()) {
        auto slash = name.find('/', start);
        if (slash == std::string::npos) {
            slash = name.size();
        }
        std::string part = name.substr(start, slash - start);
        if (part == "..") {
            result.error = "name leads out of the destination";
            return result;
        }
        if (!part.empty() && part != ".") {
            result.parts.push_back(part);
        }
        start = slash + 1;
    }
    if (result.parts.empty()) {
        result.error = "empty name";
    }
    return result;
}

// Opens the folder parts[0..count) below root, creating what is missing, without ever
// following a symbolic link.
int OpenFolder(int rootFd, const std::vector<std::string>& parts, std::size_t count) {
    int current = dup(rootFd);
    for (std::size_t i = 0; i < count && current >= 0; ++i) {
        int next = -1;
        if (mkdirat(current, parts[i].c_str(), 0777) == 0 || errno == EEXIST) {
            next =
                openat(current, parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        const int saved = errno;
        close(current);
        errno = saved;
        current = next;
    }
    return current;
}

std::string TemporaryName() {
    static std::atomic<unsigned> counter{0};
    return ".zvtmp-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

bool MakeFolderTree(const std::string& path) {
    std::string sofar;
    std::size_t start = 0;
    while (start <= path.size()) {
        auto slash = path.find('/', start);
        if (slash == std::string::npos) {
            slash = path.size();
        }
        sofar = path.substr(0, slash);
        if (!sofar.empty() && mkdir(sofar.c_str(), 0777) != 0 && errno != EEXIST) {
            return false;
        }
        start = slash + 1;
    }
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Whether parts names an entry other than a folder in the destination as it is now,
// reached as the unpack would reach it: through real folders, never through a link.
bool ExistsAsNonFolder(int rootFd, const std::vector<std::string>& parts) {
    if (rootFd < 0) {
        return false;
    }
    FileDescriptor folder(dup(rootFd));
    for (std::size_t i = 0; i + 1 < parts.size() && folder.get() >= 0; ++i) {
        folder.reset(openat(folder.get(), parts[i].c_str(),
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    struct stat info {};
    return folder.get() >= 0 &&
           fstatat(folder.get(), parts.back().c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           !S_ISDIR(info.st_mode);
}

std::string JoinedPath(const std::vector<std::string>& parts) {
    std::string path;
    for (const auto& part : parts) {
        path += (path.empty() ? "" : "/") + part;
    }
    return path;
}

bool NeedsOwnDecoder(const ExistingMember& member) {
    return member.packedSize < kShortestForLibarchive && LhMethodNamed(member.method).has_value();
}

// The packed data of one member, straight from the archive file. A file that ends early
// ends the data (the decoder calls that damage); a failed read keeps its reason.
class FileRangeSource : public ByteSource {
public:
    FileRangeSource(int fd, std::uint64_t offset, std::uint64_t size)
        : fd_(fd), offset_(offset), left_(size) {}
    long read(std::uint8_t* data, std::size_t size) override {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(size, left_));
        if (want == 0) {
            return 0;
        }
        ssize_t got = -1;
        do {
            got = pread(fd_, data, want, static_cast<off_t>(offset_));
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            error_ = errno;
            return -1;
        }
        offset_ += static_cast<std::uint64_t>(got);
        left_ -= static_cast<std::uint64_t>(got);
        return static_cast<long>(got);
    }
    int error() const { return error_; }

private:
    int fd_;
    std::uint64_t offset_;
    std::uint64_t left_;
    int error_ = 0;
};

class FileSink : public ByteSink {
public:
    explicit FileSink(int fd) : fd_(fd) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        if (!WriteAll(fd_, data, size)) {
            error_ = errno;
            return false;
        }
        return true;
    }
    int error() const { return error_; }

private:
    int fd_;
    int error_ = 0;
};

std::string WriteError(int error) {
    return std::string("cannot write: ") + std::strerror(error);
}

// What became of a member's data: an empty error when it was written whole, and whether
// the archive can still be read after it.
struct DataOutcome {
    std::string error;
    bool canGoOn = true;
};

struct FolderTime {
    std::vector<std::string> parts;
    struct timespec mtime;
};

class Unpacker {
public:
    // archiveFd reads the members the walk found that libarchive cannot unpack; -1 when
    // there was no walk.
    Unpacker(const ExtractRequest& request, int rootFd, archive* reader, int archiveFd)
        : request_(request), rootFd_(rootFd), reader_(reader), archiveFd_(archiveFd) {}

    // Handles one member, with what the header walk found of it (or nothing); returns
    // false when reading cannot go on.
    bool unpack(archive_entry* entry, const ExistingMember* member, ExtractResult& result) {
        const char* rawName = archive_entry_pathname(entry);
        const std::string name = NameAsUtf8(rawName != nullptr ? rawName : "");
        SafeName safe = SplitMemberName(name);
        const auto type = archive_entry_filetype(entry);
        if (safe.error.empty() && (type == AE_IFLNK || archive_entry_hardlink(entry) != nullptr)) {
            safe.error = "links are not unpacked";
        } else if (safe.error.empty() && type != AE_IFREG && type != AE_IFDIR) {
            safe.error = "not a file or folder";
        }
        if (!safe.error.empty()) {
            refuse(name, safe.error);
            return skipData();
        }
        if (type == AE_IFDIR) {
            if (request_.keepFolders && !request_.checkOnly) {
                unpackFolder(safe.parts, entry, name, result);
            }
            return skipData();
        }
        if (!MatchesMask(safe.parts.back(), request_.mask)) {
            return skipData();
        }
        if (!request_.keepFolders) {
            safe.parts.erase(safe.parts.begin(), safe.parts.end() - 1);
        }
        if (request_.checkOnly) {
            noteReplaced(safe.parts, result);
            return skipData();
        }
        return unpackFile(safe.parts, entry, member, name, result);
    }

    // Folder times go last, once nothing more is written into them.
    void restoreFolderTimes() {
        for (auto it = folderTimes_.rbegin(); it != folderTimes_.rend(); ++it) {
            FileDescriptor folder(OpenFolder(rootFd_, it->parts, it->parts.size()));
            if (folder.get() >= 0) {
                struct timespec times[2] = {{0, UTIME_OMIT}, it->mtime};
                futimens(folder.get(), times);
            }
        }
    }

    void refuse(const std::string& name, const std::string& why) {
        if (problems_.empty()) {
            problems_ = "'" + name + "': " + why;
        }
        ++problemCount_;
    }

    // The archive itself cannot be read on.
    void fail(const std::string& name, const std::string& why) {
        refuse(name, why);
        readable_ = false;
    }

    const std::string& problems() const { return problems_; }
    int problemCount() const { return problemCount_; }
    bool readable() const { return readable_; }

private:
    bool skipData() {
        int status = archive_read_data_skip(reader_);
        if (status == ARCHIVE_FATAL) {
            fail("archive", ReaderError(reader_, "damaged"));
            return false;
        }
        return true;
    }

    void noteReplaced(const std::vector<std::string>& parts, ExtractResult& result) {
        if (!ExistsAsNonFolder(rootFd_, parts)) {
            return;
        }
        std::string path = JoinedPath(parts);
        if (listed_.insert(path).second) {
            result.wouldReplace.push_back(std::move(path));
        }
    }

    void unpackFolder(const std::vector<std::string>& parts, archive_entry* entry,
                      const std::string& name, ExtractResult& result) {
        FileDescriptor folder(OpenFolder(rootFd_, parts, parts.size()));
        if (folder.get() < 0) {
            refuse(name, std::string("cannot create folder: ") + std::strerror(errno));
            return;
        }
        folderTimes_.push_back({parts, {archive_entry_mtime(entry), 0}});
        ++result.folders;
    }

    bool unpackFile(const std::vector<std::string>& parts, archive_entry* entry,
                    const ExistingMember* member, const std::string& name, ExtractResult& result) {
        FileDescriptor folder(OpenFolder(rootFd_, parts, parts.size() - 1));
        if (folder.get() < 0) {
            refuse(name, std::string("cannot create its folder: ") + std::strerror(errno));
            return skipData();
        }
        // The data goes to a fresh file beside the target, which replaces the target
        // only once complete and checked: a bad member never clobbers a good file, and
        // a link planted at the target is replaced, not followed.
        const std::string temporary = TemporaryName();
        FileDescriptor out(openat(folder.get(), temporary.c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (out.get() < 0) {
            refuse(name, std::string("cannot create: ") + std::strerror(errno));
            return skipData();
        }
        const DataOutcome data = member != nullptr && NeedsOwnDecoder(*member)
                                     ? decodeOwn(*member, out.get())
                                     : copyFromReader(out.get());
        if (!data.error.empty()) {
            unlinkat(folder.get(), temporary.c_str(), 0);
            if (data.canGoOn) {
                refuse(name, data.error);
            } else {
                fail(name, data.error);
            }
            return data.canGoOn;
        }
        mode_t mode = archive_entry_perm(entry) & 0777;
        fchmod(out.get(), mode != 0 ? mode : 0644);
        struct timespec times[2] = {{0, UTIME_OMIT}, {archive_entry_mtime(entry), 0}};
        futimens(out.get(), times);
        if (renameat(folder.get(), temporary.c_str(), folder.get(), parts.back().c_str()) != 0) {
            refuse(name, std::string("cannot replace: ") + std::strerror(errno));
            unlinkat(folder.get(), temporary.c_str(), 0);
            return true;
        }
        ++result.files;
        return true;
    }

    // After a failed write the data is still read through, to reach the next member.
    DataOutcome copyFromReader(int fd) {
        int writeError = 0;
        std::vector<std::uint8_t> block(kReadBlock);
        for (;;) {
            la_ssize_t got = archive_read_data(reader_, block.data(), block.size());
            if (got < 0) {
                return {ReaderError(reader_, "damaged data"), false};
            }
            if (got == 0) {
                break;
            }
            if (writeError == 0 && !WriteAll(fd, block.data(), static_cast<std::size_t>(got))) {
                writeError = errno;
            }
        }
        return {writeError == 0 ? "" : WriteError(writeError), true};
    }

    // libarchive only steps over the data; our decoder reads it from the file.
    DataOutcome decodeOwn(const ExistingMember& member, int fd) {
        if (archive_read_data_skip(reader_) == ARCHIVE_FATAL) {
            return {ReaderError(reader_, "damaged archive"), false};
        }
        FileRangeSource source(archiveFd_, member.dataOffset, member.packedSize);
        FileSink sink(fd);
        const DecodeOutcome outcome =
            DecodeLh(*LhMethodNamed(member.method), source, member.originalSize, member.crc, sink);
        switch (outcome) {
        case DecodeOutcome::Done:
            return {};
        case DecodeOutcome::ReadFailed:
            return {DescribeOutcome(outcome) + std::string(": ") + std::strerror(source.error()),
                    true};
        case DecodeOutcome::WriteFailed:
            return {WriteError(sink.error()), true};
        case DecodeOutcome::Damaged:
        case DecodeOutcome::BadCrc:
            break;
        }
        return {DescribeOutcome(outcome), true};
    }

    const ExtractRequest& request_;
    int rootFd_;
    archive* reader_;
    int archiveFd_;
    std::vector<FolderTime> folderTimes_;
    std::set<std::string> listed_;
    std::string problems_;
    int problemCount_ = 0;
    bool readable_ = true;
};

// libarchive converts member names to the thread's character set; UTF-8 keeps every name
// whatever locale the host program runs in.
class Utf8ThreadLocale {
public:
    Utf8ThreadLocale() : locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0))) {
        if (locale_ != static_cast<locale_t>(0)) {
            previous_ = uselocale(locale_);
        }
    }
    ~Utf8ThreadLocale() {
        if (locale_ != static_cast<locale_t>(0)) {
            uselocale(previous_);
            freelocale(locale_);
        }
    }
    Utf8ThreadLocale(const Utf8ThreadLocale&) = delete;
    Utf8ThreadLocale& operator=(const Utf8ThreadLocale&) = delete;

private:
    locale_t locale_;
    locale_t previous_ = static_cast<locale_t>(0);
};

// Our own walk over the member headers, beside libarchive's reading: it tells the names'
// character set and finds the members libarchive cannot unpack. Only regular files are
// walked: reading a pipe here would take its data away from the real read. A walk that
// meets damage keeps the members before it.
struct ArchiveWalk {
    FileDescriptor fd;
    ArchiveLayout layout;
};

void WalkArchive(const std::string& archivePath, ArchiveWalk& walk) {
    struct stat info {};
    if (stat(archivePath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return;
    }
    walk.fd.reset(open(archivePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (walk.fd.get() < 0 || fstat(walk.fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        walk.fd.reset();
        return;
    }
    ScanArchive(walk.fd.get(), static_cast<std::uint64_t>(info.st_size), walk.layout);
}

// Whether some member name is not UTF-8, which in practice means an old Japanese archive
// written in code page 932.
bool HasLegacyNames(const ArchiveLayout& layout) {
    for (const auto& member : layout.members) {
        if (!IsValidUtf8(member.path)) {
            return true;
        }
    }
    return false;
}

// Pairs libarchive's entries with the walk's members: one entry per header, in order. A
// file whose size or kind disagrees means the two readers see the archive differently,
// and from there on nothing is taken from the walk.
class MemberMatcher {
public:
    explicit MemberMatcher(const ArchiveLayout& layout) : members_(layout.members) {}

    const ExistingMember* next(archive_entry* entry) {
        if (lost_ || index_ >= members_.size()) {
            lost_ = true;
            return nullptr;
        }
        const ExistingMember& member = members_[index_++];
        if (archive_entry_filetype(entry) == AE_IFREG &&
            (!archive_entry_size_is_set(entry) || member.method == "-lhd-" ||
             archive_entry_size(entry) != static_cast<la_int64_t>(member.originalSize))) {
            lost_ = true;
            return nullptr;
        }
        return &member;
    }

private:
    const std::vector<ExistingMember>& members_;
    std::size_t index_ = 0;
    bool lost_ = false;
};

struct ReaderDeleter {
    void operator()(archive* reader) const { archive_read_free(reader); }
};

}  // namespace

std::string NameAsUtf8(const std::string& raw) {
    if (IsValidUtf8(raw)) {
        return raw;
    }
    std::string converted = FromCp932(raw);
    if (!converted.empty()) {
        return converted;
    }
    std::string cleaned = raw;
    for (char& c : cleaned) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            c = '_';
        }
    }
    return cleaned;
}

ExtractResult ExtractArchive(const ExtractRequest& request) {
    ExtractResult result;
    struct stat info {};
    if (stat(request.archivePath.c_str(), &info) != 0) {
        result.error = "no such archive: " + request.archivePath;
        result.readable = false;
        return result;
    }
    if (S_ISDIR(info.st_mode)) {
        result.error = "not an archive: " + request.archivePath;
        result.readable = false;
        return result;
    }
    const std::string destination = request.destination.empty() ? "." : request.destination;
    FileDescriptor root;
    if (request.checkOnly) {
        // A destination that is not there yet holds nothing to replace.
        root.reset(open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    } else {
        if (!MakeFolderTree(destination)) {
            result.error = "cannot create folder " + destination + ": " + std::strerror(errno);
            return result;
        }
        root.reset(open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (root.get() < 0) {
            result.error = "cannot open folder " + destination + ": " + std::strerror(errno);
            return result;
        }
    }
    Utf8ThreadLocale utf8;
    std::unique_ptr<archive, ReaderDeleter> reader(archive_read_new());
    if (!reader) {
        result.error = "out of memory";
        result.readable = false;
        return result;
    }
    archive_read_support_format_lha(reader.get());
    ArchiveWalk walk;
    WalkArchive(request.archivePath, walk);
    if (HasLegacyNames(walk.layout)) {
        archive_read_set_options(reader.get(), "lha:hdrcharset=CP932");
    }
    if (archive_read_open_filename(reader.get(), request.archivePath.c_str(), kReadBlock) !=
        ARCHIVE_OK) {
        result.error = "cannot open archive " + request.archivePath + ": " +
                       ReaderError(reader.get(), "not readable");
        result.readable = false;
        return result;
    }
    Unpacker unpacker(request, root.get(), reader.get(), walk.fd.get());
    MemberMatcher matcher(walk.layout);
    bool sawMember = false;
    for (;;) {
        archive_entry* entry = nullptr;
        int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF) {
            break;
        }
        if (status == ARCHIVE_FATAL || status == ARCHIVE_RETRY) {
            unpacker.fail(sawMember ? "archive" : request.archivePath,
                          ReaderError(reader.get(), "damaged archive"));
            break;
        }
        sawMember = true;
        if (!unpacker.unpack(entry, matcher.next(entry), result)) {
            break;
        }
    }
    unpacker.restoreFolderTimes();
    result.readable = unpacker.readable();
    if (unpacker.problemCount() > 0) {
        result.error = unpacker.problems();
        if (unpacker.problemCount() > 1) {
            result.error += " (and " + std::to_string(unpacker.problemCount() - 1) + " more)";
        }
    }
    return result;
}

}  // namespace zolvane::archiver
