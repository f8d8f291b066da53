#include "archiver/Huffman.h"

#include <algorithm>
#include <array>
#include <vector>

namespace zolvane::archiver {
namespace {

struct Leaf {
    std::uint32_t frequency;
    std::uint16_t symbol;
};

// Depth of every leaf in a Huffman tree over leaves sorted by rising frequency. Two queues
// (the sorted leaves and the internal nodes, which are made in rising order) stand in for
// a heap.
std::vector<int> TreeDepths(const std::vector<Leaf>& leaves) {
    const std::size_t leafCount = leaves.size();
    const std::size_t internalCount = leafCount - 1;
    std::vector<std::uint64_t> weight(internalCount);
    std::vector<std::size_t> parent(leafCount + internalCount);
    std::size_t nextLeaf = 0;
    std::size_t nextInternal = 0;
    auto takeSmallest = [&](std::size_t made) {
        bool useLeaf = nextLeaf < leafCount &&
                       (nextInternal >= made || leaves[nextLeaf].frequency <= weight[nextInternal]);
        if (useLeaf) {
            const std::size_t leaf = nextLeaf++;
            return std::pair<std::size_t, std::uint64_t>{leaf, leaves[leaf].frequency};
        }
        const std::size_t index = nextInternal++;
        return std::pair<std::size_t, std::uint64_t>{leafCount + index, weight[index]};
    };
    for (std::size_t made = 0; made < internalCount; ++made) {
        auto [first, firstWeight] = takeSmallest(made);
        auto [second, secondWeight] = takeSmallest(made);
        weight[made] = firstWeight + secondWeight;
        parent[first] = leafCount + made;
        parent[second] = leafCount + made;
    }
    // The root is the last internal node; parents always come after their children.
    std::vector<int> depth(leafCount + internalCount, 0);
    for (std::size_t node = leafCount + internalCount - 1; node-- > 0;) {
        depth[node] = depth[parent[node]] + 1;
    }
    depth.resize(leafCount);
    return depth;
}

}  // namespace

void BuildCodeLengths(const std::uint32_t* frequencies, std::size_t count, int maxLength,
                      std::uint8_t* lengths) {
    std::vector<Leaf> leaves;
    for (std::size_t symbol = 0; symbol < count; ++symbol) {
        lengths[symbol] = 0;
        if (frequencies[symbol] != 0) {
            leaves.push_back({frequencies[symbol], static_cast<std::uint16_t>(symbol)});
        }
    }
    if (leaves.empty()) {
        return;
    }
    if (leaves.size() == 1) {
        lengths[leaves[0].symbol] = 1;
        return;
    }
    std::stable_sort(leaves.begin(), leaves.end(),
                     [](const Leaf& a, const Leaf& b) { return a.frequency < b.frequency; });
    std::vector<int> depth = TreeDepths(leaves);

    std::array<std::uint32_t, kMaxCodeLength + 1> lengthCount{};
    for (int d : depth) {
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
            lengths[leaves[next++].symbol] = static_cast<std::uint8_t>(len);
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
