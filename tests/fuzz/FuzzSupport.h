// What the fuzz targets share: snapshots of folder trees, a failure that libFuzzer keeps
// the input of, and a reader and writer of the small binary formats the targets take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "tests/support/TempDir.h"

namespace zolvane::fuzz {

using test::Bytes;

// One entry of a folder tree. Links are recorded with their target, never followed.
struct TreeEntry {
    enum class Kind { File, Folder, Link, Other };
    Kind kind = Kind::Other;
    Bytes bytes;         // a file's contents
    std::string target;  // a link's target

    bool operator==(const TreeEntry&) const = default;
};

// Relative path -> entry, for everything below root except the subtree at `skip`.
using Tree = std::map<std::string, TreeEntry>;
Tree ReadTree(const std::filesystem::path& root, const std::filesystem::path& skip = {});

TreeEntry FileEntry(const Bytes& bytes);

// Ends the run: libFuzzer reports the abort and saves the input that led here.
[[noreturn]] void Fail(const std::string& what);

// Reads an input front to back. Past the end every number reads as zero and every byte
// string as empty, so that any input decodes to something.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool atEnd() const { return at_ >= size_; }
    std::uint8_t u8();
    std::uint16_t u16();
    std::int32_t i32();
    Bytes bytes(std::size_t count);  // fewer when the input ends first
    Bytes rest();

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// The writer of what InputReader reads, for building seeds.
class InputWriter {
public:
    void u8(std::uint8_t value) { out_.push_back(value); }
    void u16(std::uint16_t value);
    void i32(std::int32_t value);
    void bytes(const Bytes& bytes) { out_.insert(out_.end(), bytes.begin(), bytes.end()); }
    const Bytes& result() const { return out_; }

private:
    Bytes out_;
};

}  // namespace zolvane::fuzz
