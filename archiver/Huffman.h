// Length-limited canonical Huffman codes for the encoder's tables.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zolvane::archiver {

constexpr int kMaxCodeLength = 16;

// Sets lengths[0..count) (count at most 512) for the given frequencies: 0 for unused symbols, at
// most maxLength otherwise. With two or more used symbols the code fills the code space exactly; a
// single used symbol gets length 1 and the caller decides what to do with it.
void BuildCodeLengths(const std::uint32_t* frequencies, std::size_t count, int maxLength,
                      std::uint8_t* lengths);

// Canonical codes: shorter lengths first, equal lengths in symbol order.
void BuildCanonicalCodes(const std::uint8_t* lengths, std::size_t count, std::uint16_t* codes);

}  // namespace zolvane::archiver
