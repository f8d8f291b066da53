// Shared helpers for the archiver tests: running commands through the C entry, building
// file trees, reading member headers of an archive, and running peer LZH tools.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace zolvane::test {

struct RunResult {
    int code = -1;
    std::string report;
};

// Runs one command with a 1024-byte report buffer, as the program does.
RunResult RunUnlha(const std::string& command);

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
};
Bytes BuildHandArchive(const std::vector<HandMember>& members);

bool ToolAvailable(const std::string& tool);
// Runs a shell command line; returns its exit status.
int Shell(const std::string& command);
std::string Quoted(const std::string& text);

// Sample contents that stress the packer in different ways.
Bytes TextBytes(std::size_t size);
Bytes RepetitiveBytes(std::size_t size);
Bytes BinaryLikeBytes(std::size_t size);

}  // namespace zolvane::test
