#include "archiver/Huffman.h"

#include <algorithm>
#include <array>

namespace zolvane::archiver {
namespace {

constexpr std::size_t kMaxSymbols = 512;

// Depth of every leaf in a Huffman tree over frequencies sorted rising. Two queues (the
// sorted leaves and the internal nodes, which are made in rising order) stand in for a
// heap. Fixed arrays: this runs for every stretch the parse prices, so it must not
// allocate.
void TreeDepths(const std::uint32_t* sorted, std::size_t leafCount, int* depth) {
    const std::size_t internalCount = leafCount - 1;
    std::uint64_t weight[kMaxSymbols];
    std::uint16_t parent[2 * kMaxSymbols];
    std::size_t nextLeaf = 0;
    std::size_t nextInternal = 0;
    auto takeSmallest = [&](std::size_t made, std::uint64_t& taken) -> std::size_t {
        if (nextLeaf < leafCount &&
            (nextInternal >= made || sorted[nextLeaf] <= weight[nextInternal])) {
            taken = sorted[nextLeaf];
            return nextLeaf++;
        }
        taken = weight[nextInternal];
        return leafCount + nextInternal++;
    };
    for (std::size_t made = 0; made < internalCount; ++made) {
        std::uint64_t firstWeight = 0;
        std::uint64_t secondWeight = 0;
        const std::size_t first = takeSmallest(made, firstWeight);
        const std::size_t second = takeSmallest(made, secondWeight);
        weight[made] = firstWeight + secondWeight;
        parent[first] = static_cast<std::uint16_t>(leafCount + made);
        parent[second] = static_cast<std::uint16_t>(leafCount + made);
    }
    // The root is the last internal node; parents always come after their children.
    int nodeDepth[2 * kMaxSymbols];
    nodeDepth[leafCount + internalCount - 1] = 0;
    for (std::size_t node = leafCount + internalCount - 1; node-- > 0;) {
        nodeDepth[node] = nodeDepth[parent[node]] + 1;
    }
    std::copy(nodeDepth, nodeDepth + leafCount, depth);
}

}  // namespace

void BuildCodeLengths(const std::uint32_t* frequencies, std::size_t count, int maxLength,
                      std::uint8_t* lengths) {
    // Frequency above, symbol below: one sort orders by frequency, ties by symbol.
    std::uint64_t leaves[kMaxSymbols];
    std::size_t leafCount = 0;
    for (std::size_t symbol = 0; symbol < count; ++symbol) {
        lengths[symbol] = 0;
        if (frequencies[symbol] != 0) {
            leaves[leafCount++] = std::uint64_t{frequencies[symbol]} << 16 | symbol;
        }
    }
    if (leafCount == 0) {
        return;
    }
    if (leafCount == 1) {
        lengths[leaves[0] & 0xFFFF] = 1;
        return;
    }
    std::sort(leaves, leaves + leafCount);
    std::uint32_t sorted[kMaxSymbols];
    for (std::size_t i = 0; i < leafCount; ++i) {
        sorted[i] = static_cast<std::uint32_t>(leaves[i] >> 16);
    }
    int depth[kMaxSymbols];
    TreeDepths(sorted, leafCount, depth);

    std::array<std::uint32_t, kMaxCodeLength + 1> lengthCount{};
    for (std::size_t i = 0; i < leafCount; ++i) {
        const int d = depth[i];
        ++lengthCount[static_cast<std::size_t>(std::min(d, maxLength))];
    }
    // Clamping made the code over-full. Each step moves a leaf one level down and hangs a
    // leaf from the deepest level beside it, which frees exactly one unit at the deepest
    // level, until the code fills the space exactly again.
    const auto maxLen = static_cast<std::size_t>(maxLength);
    std::uint64_t kraft = 0;
    for (std::size_t len = 1; len <= maxLen; ++len) {
        kraft += std::uint64_t{lengthCount[len]} << (maxLen - len);
    }
    const std::uint64_t full = std::uint64_t{1} << maxLen;
    while (kraft > full) {
        std::size_t len = maxLen - 1;
        while (lengthCount[len] == 0) {
            --len;
        }
        --lengthCount[len];
        lengthCount[len + 1] += 2;
        --lengthCount[maxLen];
        --kraft;
    }
    // The rarest symbols take the longest codes.
    std::size_t next = 0;
    for (std::size_t len = maxLen; len >= 1; --len) {
        for (std::uint32_t i = 0; i < lengthCount[len]; ++i) {
            lengths[leaves[next++] & 0xFFFF] = static_cast<std::uint8_t>(len);
        }
    }
}

void BuildCanonicalCodes(const std::uint8_t* lengths, std::size_t count, std::uint16_t* codes) {
    std::array<unsigned, kMaxCodeLength + 2> lengthCount{};
    for (std::size_t symbol = 0; symbol < count; ++symbol) {
        ++lengthCount[lengths[symbol]];
    }
    std::array<unsigned, kMaxCodeLength + 2> nextCode{};
    unsigned code = 0;
    lengthCount[0] = 0;
    for (std::size_t len = 1; len <= kMaxCodeLength; ++len) {
        code = (code + lengthCount[len - 1]) << 1;
        nextCode[len] = code;
    }
    for (std::size_t symbol = 0; symbol < count; ++symbol) {
        if (lengths[symbol] != 0) {
            codes[symbol] = static_cast<std::uint16_t>(nextCode[lengths[symbol]]++);
        }
    }
}

}  // namespace zolvane::archiver
