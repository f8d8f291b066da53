#include "platform/posix/ExtFileRoom.h"

namespace zolvane::platform {
namespace {

constexpr std::uint64_t kDirectBlocks = 12;

std::uint64_t Ceiling(std::uint64_t value, std::uint64_t step) {
    return (value + step - 1) / step;
}

// Blocks of the block map for a file of `data` blocks: one single indirect block, then a
// double indirect block with its second level, then a triple indirect tree.
std::uint64_t MapBlocks(std::uint64_t data, std::uint64_t perBlock) {
    if (data <= kDirectBlocks) {
        return 0;
    }
    std::uint64_t rest = data - kDirectBlocks;
    std::uint64_t map = 1;
    if (rest <= perBlock) {
        return map;
    }
    rest -= perBlock;
    const std::uint64_t doubly = rest < perBlock * perBlock ? rest : perBlock * perBlock;
    map += 1 + Ceiling(doubly, perBlock);
    rest -= doubly;
    if (rest == 0) {
        return map;
    }
    return map + 1 + Ceiling(rest, perBlock * perBlock) + Ceiling(rest, perBlock);
}

}  // namespace

std::uint64_t ExtLargestFileBlocks(std::uint64_t freeBlocks, std::uint64_t blockSize) {
    const std::uint64_t perBlock = blockSize / 4;
    if (perBlock == 0) {
        return 0;
    }
    // Data plus map grows with the data, so the largest fit is found by halving.
    std::uint64_t low = 0;
    std::uint64_t high = freeBlocks;
    while (low < high) {
        const std::uint64_t middle = low + (high - low + 1) / 2;
        if (middle + MapBlocks(middle, perBlock) <= freeBlocks) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low;
}

}  // namespace zolvane::platform
