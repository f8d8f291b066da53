#include "tests/archiver/ArchiverTesting.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <stdexcept>

#include "archiver/BitWriter.h"
#include "archiver/Lh5Encoder.h"
#include "archiver/Unlha32.h"

namespace zolvane::test {
namespace fs = std::filesystem;

RunResult RunUnlha(const std::string& command, std::size_t bufferSize) {
    std::vector<char> buffer(bufferSize, '\x7f');
    RunResult result;
    result.code = Unlha(nullptr, command.c_str(), buffer.data(), buffer.size());
    result.report = buffer.data();
    return result;
}

CurrentFolder::CurrentFolder(const fs::path& folder) : previous_(fs::current_path()) {
    fs::current_path(folder);
}

CurrentFolder::~CurrentFolder() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
}

std::map<std::string, Bytes> ReadTree(const fs::path& root) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), root).string()] = ReadBytes(entry.path().string());
        }
    }
    return files;
}

void WriteTree(const fs::path& root, const std::map<std::string, Bytes>& files) {
    for (const auto& [name, bytes] : files) {
        fs::create_directories((root / name).parent_path());
        WriteBytes((root / name).string(), bytes);
    }
}

namespace {

unsigned Get16(const Bytes& b, std::size_t at) {
    return b.at(at) | (unsigned{b.at(at + 1)} << 8);
}

std::uint32_t Get32(const Bytes& b, std::size_t at) {
    return Get16(b, at) | (std::uint32_t{Get16(b, at + 2)} << 16);
}

void Put16(Bytes& b, unsigned value) {
    b.push_back(static_cast<std::uint8_t>(value));
    b.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& b, std::uint32_t value) {
    Put16(b, value & 0xFFFF);
    Put16(b, value >> 16);
}

std::string FolderFromExtension(const Bytes& b, std::size_t at, std::size_t size) {
    std::string folder;
    for (std::size_t i = 0; i < size; ++i) {
        folder += b[at + i] == 0xFF ? '/' : static_cast<char>(b[at + i]);
    }
    return folder;
}

}  // namespace

std::vector<MemberInfo> ListMembers(const std::string& archivePath) {
    const Bytes b = ReadBytes(archivePath);
    std::vector<MemberInfo> members;
    std::size_t at = 0;
    while (at < b.size() && b[at] != 0) {
        MemberInfo info;
        info.method.assign(b.begin() + static_cast<long>(at) + 2,
                           b.begin() + static_cast<long>(at) + 7);
        info.level = b.at(at + 20);
        info.packedSize = Get32(b, at + 7);
        std::size_t next = 0;
        if (info.level == 2) {
            const std::size_t headerSize = Get16(b, at);
            std::string folder;
            std::string name;
            std::size_t ext = at + 24;
            std::size_t extSize = Get16(b, ext);
            ext += 2;
            while (extSize != 0) {
                const std::uint8_t type = b.at(ext);
                if (type == 0x01) {
                    name.assign(b.begin() + static_cast<long>(ext) + 1,
                                b.begin() + static_cast<long>(ext + extSize - 2));
                } else if (type == 0x02) {
                    folder = FolderFromExtension(b, ext + 1, extSize - 3);
                }
                const std::size_t following = Get16(b, ext + extSize - 2);
                ext += extSize;
                extSize = following;
            }
            info.name = folder + name;
            next = at + headerSize + Get32(b, at + 7);
        } else {
            const std::size_t nameLength = b.at(at + 21);
            info.name.assign(b.begin() + static_cast<long>(at) + 22,
                             b.begin() + static_cast<long>(at + 22 + nameLength));
            next = at + b[at] + 2 + Get32(b, at + 7);
        }
        while (!info.name.empty() && info.name.back() == '/') {
            info.name.pop_back();
        }
        members.push_back(info);
        at = next;
    }
    return members;
}

std::uint16_t ReferenceCrc16(const Bytes& bytes) {
    unsigned crc = 0;
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
        }
    }
    return static_cast<std::uint16_t>(crc);
}

Bytes BuildHandArchive(const std::vector<HandMember>& members) {
    Bytes archive;
    for (const auto& member : members) {
        const bool packed = member.method != "-lh0-" && member.method != "-lhd-";
        const Bytes& original = packed ? member.original : member.data;
        Bytes h;
        Put16(h, 0);  // total size, set below
        h.insert(h.end(), member.method.begin(), member.method.end());
        Put32(h, static_cast<std::uint32_t>(member.data.size()));
        Put32(h, static_cast<std::uint32_t>(original.size()));
        Put32(h, 1000000000);  // 2001-09-09
        h.push_back(0x20);
        h.push_back(2);
        std::uint16_t crc = ReferenceCrc16(original);
        Put16(h, member.badDataCrc ? crc ^ 0x5555 : crc);
        h.push_back('U');
        // Extensions: header CRC, name, folder, Unix mode.
        Put16(h, 5);
        const std::size_t crcAt = h.size() + 1;
        h.push_back(0x00);
        Put16(h, 0);
        Put16(h, static_cast<unsigned>(member.name.size() + 3));
        h.push_back(0x01);
        h.insert(h.end(), member.name.begin(), member.name.end());
        if (!member.folder.empty()) {
            Put16(h, static_cast<unsigned>(member.folder.size() + 4));
            h.push_back(0x02);
            for (char c : member.folder) {
                h.push_back(c == '/' ? 0xFF : static_cast<std::uint8_t>(c));
            }
            h.push_back(0xFF);
        }
        Put16(h, 5);
        h.push_back(0x50);
        Put16(h, member.unixMode);
        Put16(h, 0);
        if ((h.size() & 0xFF) == 0) {
            h.push_back(0);
        }
        h[0] = static_cast<std::uint8_t>(h.size());
        h[1] = static_cast<std::uint8_t>(h.size() >> 8);
        const std::uint16_t headerCrc = ReferenceCrc16(h);
        h[crcAt] = static_cast<std::uint8_t>(headerCrc);
        h[crcAt + 1] = static_cast<std::uint8_t>(headerCrc >> 8);
        archive.insert(archive.end(), h.begin(), h.end());
        archive.insert(archive.end(), member.data.begin(), member.data.end());
    }
    archive.push_back(0);
    return archive;
}

Bytes PackBits(const BitFields& fields) {
    Bytes out;
    archiver::BitWriter bits(out);
    for (const auto& [value, width] : fields) {
        bits.put(value, width);
    }
    bits.flush(true);
    return out;
}

BitFields OneSymbolFields(unsigned codes, unsigned cSymbol, unsigned pSymbol,
                          unsigned positionBits) {
    // The count, then for T, C and P a count of 0 and the one symbol.
    return {{codes, 16},
            {0, 5},
            {0, 5},
            {0, 9},
            {cSymbol, 9},
            {0, positionBits},
            {pSymbol, positionBits}};
}

Bytes OneSymbolBlock(unsigned codes, unsigned cSymbol, unsigned positionBits) {
    return PackBits(OneSymbolFields(codes, cSymbol, 0, positionBits));
}

namespace {

class MemorySource : public archiver::ByteSource {
public:
    explicit MemorySource(const Bytes& bytes) : bytes_(bytes) {}
    long read(std::uint8_t* data, std::size_t size) override {
        const std::size_t n = std::min(size, bytes_.size() - at_);
        std::copy_n(bytes_.begin() + static_cast<long>(at_), n, data);
        at_ += n;
        return static_cast<long>(n);
    }

private:
    const Bytes& bytes_;
    std::size_t at_ = 0;
};

class MemorySink : public archiver::ByteSink {
public:
    explicit MemorySink(Bytes& out) : out_(out) {}
    bool write(const std::uint8_t* data, std::size_t size) override {
        out_.insert(out_.end(), data, data + size);
        return true;
    }

private:
    Bytes& out_;
};

}  // namespace

Bytes PackLh5(const Bytes& data) {
    Bytes packed;
    MemorySource source(data);
    MemorySink sink(packed);
    archiver::Lh5Encoder encoder;
    std::uint64_t packedSize = 0;
    const auto outcome =
        encoder.encode(source, sink, std::numeric_limits<std::uint64_t>::max(), packedSize);
    if (outcome != archiver::EncodeOutcome::Packed || packedSize != packed.size()) {
        throw std::runtime_error("the packer failed");
    }
    return packed;
}

archiver::DecodeOutcome DecodeBytes(const std::string& method, const Bytes& packed,
                                    std::uint64_t originalSize, std::uint16_t crc, Bytes& out) {
    out.clear();
    MemorySource source(packed);
    MemorySink sink(out);
    return archiver::DecodeLh(archiver::LhMethodNamed(method).value(), source, originalSize, crc,
                              sink);
}

bool ToolAvailable(const std::string& tool) {
    return Shell("command -v " + tool + " >/dev/null 2>&1") == 0;
}

int Shell(const std::string& command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

Bytes TextBytes(std::size_t size) {
    static const char* const kWords[] = {"the ",      "split ", "floppy ", "piece ", "join ",
                                         "archive\n", "of ",    "header ", "size ",  "1.44MB "};
    Bytes bytes;
    std::uint32_t state = 7;
    while (bytes.size() < size) {
        state = state * 1103515245u + 12345u;
        const char* word = kWords[(state >> 16) % 10];
        while (*word != '\0' && bytes.size() < size) {
            bytes.push_back(static_cast<std::uint8_t>(*word++));
        }
    }
    return bytes;
}

Bytes RepetitiveBytes(std::size_t size) {
    Bytes bytes(size, 0);
    for (std::size_t i = size / 2; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>("abc"[i % 3]);
    }
    return bytes;
}

// Runs of structure with noise: long and short matches at every distance, and literals.
Bytes BinaryLikeBytes(std::size_t size) {
    Bytes noise = PatternBytes(size, 99);
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t back = 1 + (noise[i] % 64) * 97;
        bytes[i] = (i > back && noise[i] % 4 != 0) ? bytes[i - back] : noise[i];
    }
    return bytes;
}

}  // namespace zolvane::test
