#include "archiver/Extractor.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <iconv.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "archiver/FileDescriptor.h"
#include "archiver/FileSelection.h"
#include "archiver/LzhHeader.h"

namespace zolvane::archiver {
namespace {

constexpr std::size_t kReadBlock = std::size_t{1} << 16;

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

struct FolderTime {
    std::vector<std::string> parts;
    struct timespec mtime;
};

class Unpacker {
public:
    Unpacker(const ExtractRequest& request, int rootFd, archive* reader)
        : request_(request), rootFd_(rootFd), reader_(reader) {}

    // Handles one member; returns false when reading cannot go on.
    bool unpack(archive_entry* entry, ExtractResult& result) {
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
            if (request_.keepFolders) {
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
        return unpackFile(safe.parts, entry, name, result);
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

    const std::string& problems() const { return problems_; }
    int problemCount() const { return problemCount_; }

private:
    bool skipData() {
        int status = archive_read_data_skip(reader_);
        if (status == ARCHIVE_FATAL) {
            refuse("archive",
                   archive_error_string(reader_) ? archive_error_string(reader_) : "damaged");
            return false;
        }
        return true;
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
                    const std::string& name, ExtractResult& result) {
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
        bool readable = true;
        bool written = true;
        std::vector<std::uint8_t> block(kReadBlock);
        for (;;) {
            la_ssize_t got = archive_read_data(reader_, block.data(), block.size());
            if (got < 0) {
                readable = false;
                break;
            }
            if (got == 0) {
                break;
            }
            if (written && !WriteAll(out.get(), block.data(), static_cast<std::size_t>(got))) {
                written = false;
            }
        }
        if (!readable || !written) {
            unlinkat(folder.get(), temporary.c_str(), 0);
            const char* why = archive_error_string(reader_);
            refuse(name, !readable ? (why ? why : "damaged data") : "cannot write");
            return readable;
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

    const ExtractRequest& request_;
    int rootFd_;
    archive* reader_;
    std::vector<FolderTime> folderTimes_;
    std::string problems_;
    int problemCount_ = 0;
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

// Whether some member name is not UTF-8, which in practice means an old Japanese archive
// written in code page 932. Only regular files are looked at: reading a pipe here would
// take its data away from the real read.
bool HasLegacyNames(const std::string& archivePath) {
    struct stat info {};
    if (stat(archivePath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    FileDescriptor fd(open(archivePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0 || fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    ArchiveLayout layout;
    ScanArchive(fd.get(), static_cast<std::uint64_t>(info.st_size), layout);
    for (const auto& member : layout.members) {
        if (!IsValidUtf8(member.path)) {
            return true;
        }
    }
    return false;
}

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
        return result;
    }
    if (S_ISDIR(info.st_mode)) {
        result.error = "not an archive: " + request.archivePath;
        return result;
    }
    const std::string destination = request.destination.empty() ? "." : request.destination;
    if (!MakeFolderTree(destination)) {
        result.error = "cannot create folder " + destination + ": " + std::strerror(errno);
        return result;
    }
    FileDescriptor root(open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (root.get() < 0) {
        result.error = "cannot open folder " + destination + ": " + std::strerror(errno);
        return result;
    }
    Utf8ThreadLocale utf8;
    std::unique_ptr<archive, ReaderDeleter> reader(archive_read_new());
    if (!reader) {
        result.error = "out of memory";
        return result;
    }
    archive_read_support_format_lha(reader.get());
    if (HasLegacyNames(request.archivePath)) {
        archive_read_set_options(reader.get(), "lha:hdrcharset=CP932");
    }
    if (archive_read_open_filename(reader.get(), request.archivePath.c_str(), kReadBlock) !=
        ARCHIVE_OK) {
        result.error = "cannot open archive " + request.archivePath + ": " +
                       archive_error_string(reader.get());
        return result;
    }
    Unpacker unpacker(request, root.get(), reader.get());
    bool sawMember = false;
    for (;;) {
        archive_entry* entry = nullptr;
        int status = archive_read_next_header(reader.get(), &entry);
        if (status == ARCHIVE_EOF) {
            break;
        }
        if (status == ARCHIVE_FATAL || status == ARCHIVE_RETRY) {
            const char* why = archive_error_string(reader.get());
            unpacker.refuse(sawMember ? "archive" : request.archivePath,
                            why != nullptr ? why : "damaged archive");
            break;
        }
        sawMember = true;
        if (!unpacker.unpack(entry, result)) {
            break;
        }
    }
    unpacker.restoreFolderTimes();
    if (unpacker.problemCount() > 0) {
        result.error = unpacker.problems();
        if (unpacker.problemCount() > 1) {
            result.error += " (and " + std::to_string(unpacker.problemCount() - 1) + " more)";
        }
    }
    return result;
}

}  // namespace zolvane::archiver
