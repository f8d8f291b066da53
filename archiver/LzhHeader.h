// Member headers: the level-2 header the archiver writes, and a walk over the members of
// an existing archive (levels 0 to 2) so that new members can be appended or replaced.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zolvane::archiver {

struct MemberHeader {
    std::string method;  // "-lh5-", "-lh0-" or "-lhd-"
    std::uint32_t packedSize = 0;
    std::uint32_t originalSize = 0;
    std::uint32_t mtime = 0;     // Unix time, UTC
    std::uint16_t crc = 0;       // of the original bytes
    std::uint16_t unixMode = 0;  // with the file-type bits
    std::string path;            // '/'-separated, no leading '/'; a folder's own path
    bool folder = false;
};

// The complete level-2 header, header CRC included.
std::vector<std::uint8_t> BuildLevel2Header(const MemberHeader& header);

struct ExistingMember {
    std::string path;          // '/'-separated, as the header names it
    std::uint64_t offset = 0;  // of the header
    std::uint64_t size = 0;    // header and data
    std::string method;        // such as "-lh5-"
    std::uint64_t dataOffset = 0;
    std::uint64_t packedSize = 0;  // of the data alone, extended headers not counted
    std::uint32_t originalSize = 0;
    std::uint16_t crc = 0;  // of the original bytes
};

struct ArchiveLayout {
    std::vector<ExistingMember> members;
    std::uint64_t endOffset = 0;  // where the end byte is, or the file's end without one
};

// Reads the member headers of an open archive. Returns an empty text on success, else
// why the file cannot be taken as an LZH archive.
std::string ScanArchive(int fd, std::uint64_t fileSize, ArchiveLayout& layout);

}  // namespace zolvane::archiver
