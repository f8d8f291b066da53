// How large a file an ext2/3/4 file system can still take: besides its data blocks, a file
// needs blocks that list them.
#pragma once

#include <cstdint>

namespace zolvane::platform {

// The most data blocks a new file can have when `freeBlocks` blocks of `blockSize` bytes
// are free, counting the indirect blocks of the classic block map. A file kept in extents
// needs no more than that, so the answer holds for every member of the family.
std::uint64_t ExtLargestFileBlocks(std::uint64_t freeBlocks, std::uint64_t blockSize);

}  // namespace zolvane::platform
