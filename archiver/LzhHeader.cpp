#include "archiver/LzhHeader.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "archiver/Crc16.h"

namespace zolvane::archiver {
namespace {

constexpr std::uint8_t kExtCrc = 0x00;
constexpr std::uint8_t kExtName = 0x01;
constexpr std::uint8_t kExtFolder = 0x02;
constexpr std::uint8_t kExtDosAttribute = 0x40;
constexpr std::uint8_t kExtUnixMode = 0x50;
constexpr std::uint8_t kFolderSeparator = 0xFF;
constexpr std::size_t kLevel2BaseSize = 26;
constexpr std::uint16_t kDosArchive = 0x20;
constexpr std::uint16_t kDosFolder = 0x10;
constexpr std::uint16_t kDosReadOnly = 0x01;

void Put16(std::vector<std::uint8_t>& out, std::size_t at, unsigned value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

unsigned Get16(const std::uint8_t* p) {
    return p[0] | (unsigned{p[1]} << 8);
}

std::uint32_t Get32(const std::uint8_t* p) {
    return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}

// One extended header: type, payload, and room for the size of the next one.
void AppendExtension(std::vector<std::uint8_t>& out, std::uint8_t type,
                     const std::vector<std::uint8_t>& payload) {
    out.push_back(type);
    out.insert(out.end(), payload.begin(), payload.end());
    out.push_back(0);
    out.push_back(0);
}

// A file that ends first is a damaged archive and leaves errno 0; a read that fails is the
// system's fault and keeps errno for the report.
bool ReadAt(int fd, std::uint64_t offset, std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t got = pread(fd, data, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            if (got == 0) {
                errno = 0;
            }
            return false;
        }
        data += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

// Why ReadAt failed: the system's reason, or the damage an early end means.
std::string ReadProblem(const char* damage) {
    return errno != 0 ? std::string("cannot read the archive: ") + std::strerror(errno) : damage;
}

// Folder separators become '/': 0xFF in extended headers, and '\' in the names of
// levels 0 and 1 only (a level-2 name may hold Shift-JIS bytes equal to '\').
std::string NormalisedPath(const std::string& folder, const std::string& name,
                           bool backslashSeparates) {
    std::string path;
    for (char c : folder + name) {
        const auto byte = static_cast<std::uint8_t>(c);
        path += (byte == kFolderSeparator || (backslashSeparates && c == '\\')) ? '/' : c;
    }
    while (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// Walks the chain of extended headers in [data, data + size) starting with the first
// size word at firstSizeAt, collecting the name and folder.
bool ReadExtensions(const std::uint8_t* data, std::size_t size, std::size_t firstSizeAt,
                    std::string& name, std::string& folder) {
    if (firstSizeAt + 2 > size) {
        return false;
    }
    std::size_t next = Get16(data + firstSizeAt);
    std::size_t at = firstSizeAt + 2;
    while (next != 0) {
        if (next < 3 || at + next > size) {
            return false;
        }
        const auto* payload = reinterpret_cast<const char*>(data + at + 1);
        if (data[at] == kExtName) {
            name.assign(payload, next - 3);
        } else if (data[at] == kExtFolder) {
            folder.assign(payload, next - 3);
        }
        std::size_t following = Get16(data + at + next - 2);
        at += next;
        next = following;
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> BuildLevel2Header(const MemberHeader& header) {
    std::vector<std::uint8_t> out(kLevel2BaseSize, 0);
    for (std::size_t i = 0; i < 5 && i < header.method.size(); ++i) {
        out[2 + i] = static_cast<std::uint8_t>(header.method[i]);
    }
    Put32(out, 7, header.packedSize);
    Put32(out, 11, header.originalSize);
    Put32(out, 15, header.mtime);
    out[19] = 0x20;
    out[20] = 2;
    Put16(out, 21, header.crc);
    out[23] = 'U';

    std::vector<std::size_t> extensionStarts;
    auto add = [&](std::uint8_t type, const std::vector<std::uint8_t>& payload) {
        extensionStarts.push_back(out.size());
        AppendExtension(out, type, payload);
    };
    add(kExtCrc, {0, 0});

    std::string folder = header.folder ? header.path : std::string();
    std::string name = header.path;
    if (!header.folder) {
        auto slash = header.path.rfind('/');
        if (slash != std::string::npos) {
            folder = header.path.substr(0, slash);
            name = header.path.substr(slash + 1);
        }
        add(kExtName, std::vector<std::uint8_t>(name.begin(), name.end()));
    }
    if (!folder.empty()) {
        std::vector<std::uint8_t> payload;
        for (char c : folder) {
            payload.push_back(c == '/' ? kFolderSeparator : static_cast<std::uint8_t>(c));
        }
        payload.push_back(kFolderSeparator);
        add(kExtFolder, payload);
    }
    unsigned attribute = header.folder ? kDosFolder : kDosArchive;
    if ((header.unixMode & 0200) == 0) {
        attribute |= kDosReadOnly;
    }
    add(kExtDosAttribute, {static_cast<std::uint8_t>(attribute), 0});
    add(kExtUnixMode, {static_cast<std::uint8_t>(header.unixMode),
                       static_cast<std::uint8_t>(header.unixMode >> 8)});

    // Each size word in front of an extension holds that extension's size.
    std::size_t sizeAt = kLevel2BaseSize - 2;
    for (std::size_t i = 0; i < extensionStarts.size(); ++i) {
        std::size_t end = i + 1 < extensionStarts.size() ? extensionStarts[i + 1] : out.size();
        Put16(out, sizeAt, static_cast<unsigned>(end - extensionStarts[i]));
        sizeAt = end - 2;
    }
    // A size with a zero low byte would read as the end of the archive.
    if ((out.size() & 0xFF) == 0) {
        out.push_back(0);
    }
    Put16(out, 0, static_cast<unsigned>(out.size()));
    Put16(out, extensionStarts[0] + 1, Crc16(out.data(), out.size()));
    return out;
}

std::string ScanArchive(int fd, std::uint64_t fileSize, ArchiveLayout& layout) {
    layout = {};
    std::uint64_t offset = 0;
    std::vector<std::uint8_t> header;
    while (offset < fileSize) {
        std::uint8_t first = 0;
        if (!ReadAt(fd, offset, &first, 1)) {
            return ReadProblem("the archive is truncated or damaged");
        }
        if (first == 0) {
            layout.endOffset = offset;
            return {};
        }
        std::uint8_t base[22];
        if (offset + sizeof base > fileSize) {
            return "the archive ends inside a member header";
        }
        if (!ReadAt(fd, offset, base, sizeof base)) {
            return ReadProblem("the archive ends inside a member header");
        }
        if (base[2] != '-' || base[6] != '-') {
            return "the file is not an LZH archive";
        }
        const unsigned level = base[20];
        std::uint64_t headerSize = 0;
        std::uint64_t memberSize = 0;
        if (level == 0 || level == 1) {
            headerSize = std::uint64_t{base[0]} + 2;
            memberSize = headerSize + Get32(base + 7);
        } else if (level == 2) {
            headerSize = Get16(base);
            memberSize = headerSize + Get32(base + 7);
        } else {
            return "unsupported header level " + std::to_string(level);
        }
        if (headerSize < 24 || offset + memberSize > fileSize) {
            return "the archive is truncated or damaged";
        }
        header.resize(static_cast<std::size_t>(headerSize));
        if (!ReadAt(fd, offset, header.data(), header.size())) {
            return ReadProblem("the archive is truncated or damaged");
        }
        std::string name;
        std::string folder;
        ExistingMember member;
        member.offset = offset;
        member.size = memberSize;
        member.method.assign(reinterpret_cast<const char*>(base + 2), 5);
        member.originalSize = Get32(base + 11);
        member.dataOffset = offset + headerSize;
        bool ok = true;
        if (level == 2) {
            ok = ReadExtensions(header.data(), header.size(), 24, name, folder);
            member.crc = static_cast<std::uint16_t>(Get16(header.data() + 21));
        } else {
            // The name, then the CRC of the original bytes.
            const std::size_t nameLength = header[21];
            ok = 24 + nameLength <= header.size();
            if (ok) {
                name.assign(reinterpret_cast<const char*>(header.data() + 22), nameLength);
                member.crc = static_cast<std::uint16_t>(Get16(header.data() + 22 + nameLength));
            }
            if (ok && level == 1) {
                // Level 1 keeps its extended headers after the base header, counted in
                // the packed size.
                std::vector<std::uint8_t> extended(header);
                const std::uint64_t dataStart = offset + headerSize;
                std::uint64_t at = dataStart;
                std::size_t next = Get16(header.data() + header.size() - 2);
                while (ok && next != 0) {
                    std::size_t start = extended.size();
                    ok = next >= 3 && at + next <= offset + memberSize;
                    if (ok) {
                        extended.resize(start + next);
                        if (!ReadAt(fd, at, extended.data() + start, next)) {
                            return ReadProblem("a member header is damaged");
                        }
                    }
                    if (ok) {
                        at += next;
                        next = Get16(extended.data() + extended.size() - 2);
                    }
                }
                if (ok) {
                    std::string extName;
                    ok = ReadExtensions(extended.data(), extended.size(), header.size() - 2,
                                        extName, folder);
                    if (ok && !extName.empty()) {
                        name = extName;
                    }
                }
                member.dataOffset = at;
            }
        }
        if (!ok) {
            return "a member header is damaged";
        }
        member.path = NormalisedPath(folder, name, level < 2);
        member.packedSize = offset + memberSize - member.dataOffset;
        layout.members.push_back(std::move(member));
        offset += memberSize;
    }
    layout.endOffset = fileSize;
    return {};
}

}  // namespace zolvane::archiver
