// Shared helpers for the archiver tests: running commands through the C entry, building
// file trees, reading member headers of an archive, and running peer LZH tools.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "archiver/Lh5Decoder.h"
#include "tests/support/TempDir.h"

namespace zolvane::test {

struct RunResult {
    int code = -1;
    std::string report;
};

// Runs one command with a 1024-byte report buffer, as the program does, or another size.
RunResult RunUnlha(const std::string& command, std::size_t bufferSize = 1024);

// Runs code with the process's current folder set to folder, then restores it.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::filesystem::path& folder);
    ~CurrentFolder();
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::filesystem::path previous_;
};

// Every regular file below root, by relative path, with its bytes.
std::map<std::string, Bytes> ReadTree(const std::filesystem::path& root);

// Writes files (relative path -> bytes) below root, creating folders.
void WriteTree(const std::filesystem::path& root, const std::map<std::string, Bytes>& files);

struct MemberInfo {
    std::string method;
    std::string name;  // folder and file name joined with '/'
    int level = -1;
    std::uint32_t packedSize = 0;
};

// Walks level-0, 1 and 2 headers independently of the library's own reader.
std::vector<MemberInfo> ListMembers(const std::string& archivePath);

// The standard CRC-16 of LZH archives, written here again so tests check the library.
std::uint16_t ReferenceCrc16(const Bytes& bytes);

// A level-2 member built byte by byte: stored (-lh0-) data unless method says otherwise.
struct HandMember {
    std::string folder;  // '/'-separated or empty
    std::string name;
    Bytes data;
    std::string method = "-lh0-";
    std::uint16_t unixMode = 0100644;
    bool badDataCrc = false;
    Bytes original{};  // what packed data unpacks to: its size and CRC go in the header
};
Bytes BuildHandArchive(const std::vector<HandMember>& members);

// Bit fields (value, width), packed most significant first with the last byte padded.
using BitFields = std::vector<std::pair<std::uint32_t, unsigned>>;
Bytes PackBits(const BitFields& fields);

// A block of `codes` codes in which every table is one symbol, so that a code costs no
// bits: the shortest -lh5- family streams there are. positionBits is 4 for -lh5-, else 5.
BitFields OneSymbolFields(unsigned codes, unsigned cSymbol, unsigned pSymbol = 0,
                          unsigned positionBits = 4);
Bytes OneSymbolBlock(unsigned codes, unsigned cSymbol, unsigned positionBits = 4);

// Packs data in memory with the library's -lh5- packer, however large the result.
Bytes PackLh5(const Bytes& data);

// Unpacks packed data in memory with the library's own decoder.
archiver::DecodeOutcome DecodeBytes(const std::string& method, const Bytes& packed,
                                    std::uint64_t originalSize, std::uint16_t crc, Bytes& out);

bool ToolAvailable(const std::string& tool);
// Runs a shell command line; returns its exit status.
int Shell(const std::string& command);
std::string Quoted(const std::string& text);

// Sample contents that stress the packer in different ways.
Bytes TextBytes(std::size_t size);
Bytes RepetitiveBytes(std::size_t size);
Bytes BinaryLikeBytes(std::size_t size);

}  // namespace zolvane::test
