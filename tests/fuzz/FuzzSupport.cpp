#include "tests/fuzz/FuzzSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zolvane::fuzz {
namespace fs = std::filesystem;

Tree ReadTree(const fs::path& root, const fs::path& skip) {
    Tree tree;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (!skip.empty() && it->path() == skip) {
            it.disable_recursion_pending();
            continue;
        }
        TreeEntry entry;
        const fs::file_status status = it->symlink_status(error);
        if (fs::is_symlink(status)) {
            entry.kind = TreeEntry::Kind::Link;
            entry.target = fs::read_symlink(it->path(), error).string();
        } else if (fs::is_directory(status)) {
            entry.kind = TreeEntry::Kind::Folder;
        } else if (fs::is_regular_file(status)) {
            entry.kind = TreeEntry::Kind::File;
            entry.bytes = test::ReadBytes(it->path().string());
        }
        tree[it->path().lexically_relative(root).string()] = std::move(entry);
    }
    return tree;
}

TreeEntry FileEntry(const Bytes& bytes) {
    TreeEntry entry;
    entry.kind = TreeEntry::Kind::File;
    entry.bytes = bytes;
    return entry;
}

void Fail(const std::string& what) {
    std::fprintf(stderr, "\nFUZZ CHECK FAILED: %s\n", what.c_str());
    std::abort();
}

std::uint8_t InputReader::u8() {
    return at_ < size_ ? data_[at_++] : 0;
}

std::uint16_t InputReader::u16() {
    const unsigned low = u8();
    return static_cast<std::uint16_t>(low | (unsigned{u8()} << 8));
}

std::int32_t InputReader::i32() {
    const std::uint32_t low = u16();
    return static_cast<std::int32_t>(low | (std::uint32_t{u16()} << 16));
}

Bytes InputReader::bytes(std::size_t count) {
    const std::size_t taken = std::min(count, size_ - std::min(at_, size_));
    Bytes out(data_ + at_, data_ + at_ + taken);
    at_ += taken;
    return out;
}

Bytes InputReader::rest() {
    return bytes(size_);
}

void InputWriter::u16(std::uint16_t value) {
    u8(static_cast<std::uint8_t>(value));
    u8(static_cast<std::uint8_t>(value >> 8));
}

void InputWriter::i32(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    u16(static_cast<std::uint16_t>(bits));
    u16(static_cast<std::uint16_t>(bits >> 16));
}

}  // namespace zolvane::fuzz
