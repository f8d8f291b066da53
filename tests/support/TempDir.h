// A fresh folder per test, removed afterwards, and small file helpers for tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zolvane::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of a name inside the folder, as text.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

using Bytes = std::vector<std::uint8_t>;

// Bytes that do not repeat with any short period, so misplaced data shows.
Bytes PatternBytes(std::size_t count, std::uint32_t seed = 1);
void WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);

// Whether the process may mount file systems (root in CI).
bool CanMount();

}  // namespace zolvane::test
