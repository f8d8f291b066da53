#include "archiver/Lh5Encoder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "archiver/Huffman.h"

namespace zolvane::archiver {
namespace {

constexpr unsigned kCodeCount = Lh5Encoder::kCodeCount;
constexpr unsigned kHashBits = Lh5Encoder::kHashBits;
constexpr unsigned kHash3Bits = Lh5Encoder::kHash3Bits;

constexpr std::size_t kBufferSize = std::size_t{1} << 20;
// Zeros past the data let the match compare read whole words.
constexpr std::size_t kPadding = 16;
constexpr std::size_t kOutputChunk = std::size_t{1} << 16;
constexpr unsigned kTCodeCount = 19;
constexpr unsigned kCountBitsT = 5;
constexpr unsigned kCountBitsC = 9;
constexpr unsigned kCountBitsP = 4;
constexpr std::uint32_t kPriceScale = 16;

std::uint32_t Load32(const std::uint8_t* p) {
    std::uint32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// Bytes equal from the start, at most limit. Reads up to 7 bytes past limit.
unsigned CommonLength(const std::uint8_t* a, const std::uint8_t* b, unsigned limit) {
    unsigned n = 0;
    while (n < limit) {
        std::uint64_t diff = Load64(a + n) ^ Load64(b + n);
        if (diff != 0) {
            n += static_cast<unsigned>(std::countr_zero(diff)) / 8;
            return std::min(n, limit);
        }
        n += 8;
    }
    return limit;
}

double XLog2X(double x) {
    return x * std::log2(x);
}

// Slots of the three tables for the bytes starting at a position (read little-endian).
std::size_t Hash3(std::uint64_t word) {
    return ((static_cast<std::uint32_t>(word) & 0xFFFFFFu) * 0x9E3779B1u) >> (32 - kHash3Bits);
}

std::size_t Hash4(std::uint64_t word) {
    return (static_cast<std::uint32_t>(word) * 0x9E3779B1u) >> (32 - kHash3Bits);
}

std::size_t Hash5(std::uint64_t word) {
    return ((word & 0xFFFFFFFFFFull) * 0x9E3779B97F4A7C15ull) >> (64 - kHashBits);
}

unsigned PositionCode(unsigned distanceMinusOne) {
    return distanceMinusOne == 0 ? 0u : static_cast<unsigned>(std::bit_width(distanceMinusOne));
}

std::uint32_t DistanceCost(const std::uint32_t* positionCost, unsigned distance) {
    const unsigned code = PositionCode(distance - 1);
    return positionCost[code] + (code > 1 ? (code - 1) * kPriceScale : 0);
}

// Prices in sixteenths of a bit, -log2 of each symbol's share: close to the code lengths
// such counts will get, without building them. A symbol not seen yet costs as much as
// the rarest one seen.
void SetPrices(const std::uint32_t* counts, unsigned size, std::uint32_t* price) {
    std::uint32_t total = 0;
    std::uint32_t rarest = 0xFFFFFFFFu;
    for (unsigned i = 0; i < size; ++i) {
        total += counts[i];
        if (counts[i] != 0) {
            rarest = std::min(rarest, counts[i]);
        }
    }
    if (total == 0) {
        return;
    }
    const float whole = std::log2(static_cast<float>(total));
    const float unseen = whole - std::log2(static_cast<float>(rarest));
    for (unsigned i = 0; i < size; ++i) {
        float bits = counts[i] != 0 ? whole - std::log2(static_cast<float>(counts[i])) : unseen;
        bits = std::clamp(bits, 1.0f, static_cast<float>(kMaxCodeLength));
        price[i] = static_cast<std::uint32_t>(bits * kPriceScale + 0.5f);
    }
}

// Readers choke on one-symbol tables in some places (a single-literal stream, the last
// match of a block); a second symbol with a dummy length keeps every table a real tree.
void EnsureTwoSymbols(std::uint8_t* lengths, unsigned count) {
    unsigned used = 0;
    unsigned symbol = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (lengths[i] != 0) {
            ++used;
            symbol = i;
        }
    }
    if (used == 1) {
        lengths[symbol] = 1;
        lengths[symbol == 0 ? 1 : 0] = 1;
    }
}

unsigned TrimmedCount(const std::uint8_t* lengths, unsigned count) {
    while (count > 0 && lengths[count - 1] == 0) {
        --count;
    }
    return count;
}

// Walks the code lengths as the C table stores them: a zero run becomes T codes 0, 1 or
// 2, a length k becomes T code k + 2. visit(tCode, extraValue, extraBits).
template <typename Visit>
void ForEachCodeLengthToken(const std::uint8_t* lengths, unsigned count, Visit visit) {
    unsigned i = 0;
    while (i < count) {
        if (lengths[i] != 0) {
            visit(lengths[i] + 2u, 0u, 0u);
            ++i;
            continue;
        }
        unsigned run = 1;
        while (i + run < count && lengths[i + run] == 0) {
            ++run;
        }
        i += run;
        if (run <= 2) {
            for (unsigned k = 0; k < run; ++k) {
                visit(0u, 0u, 0u);
            }
        } else if (run <= 18) {
            visit(1u, run - 3, 4u);
        } else if (run == 19) {
            visit(0u, 0u, 0u);
            visit(1u, 15u, 4u);
        } else {
            visit(2u, run - 20, kCountBitsC);
        }
    }
}

// Bits of the T table and the C lengths it codes, for the given C lengths.
std::uint64_t CodeTableBits(const std::uint8_t* codeLengths) {
    std::uint32_t tFrequency[kTCodeCount] = {};
    std::uint64_t extra = 0;
    const unsigned count = TrimmedCount(codeLengths, kCodeCount);
    ForEachCodeLengthToken(codeLengths, count, [&](unsigned code, unsigned, unsigned bits) {
        ++tFrequency[code];
        extra += bits;
    });
    std::uint8_t tLengths[kTCodeCount];
    BuildCodeLengths(tFrequency, kTCodeCount, kMaxCodeLength, tLengths);
    EnsureTwoSymbols(tLengths, kTCodeCount);
    std::uint64_t bits = kCountBitsT + 2 + kCountBitsC + extra;
    for (unsigned i = 0; i < TrimmedCount(tLengths, kTCodeCount); ++i) {
        bits += tLengths[i] <= 6 ? 3 : tLengths[i] - 3u;
        bits += std::uint64_t{tFrequency[i]} * tLengths[i];
    }
    return bits;
}

// Huffman lengths are the cheapest for the codes alone, not with the table that carries
// them: lifting the rarest symbols to a common floor evens out their lengths, and the
// table of lengths then often shrinks by more than the codes grow. Whichever is
// smallest in all is taken.
void ChooseCodeLengths(const std::uint32_t* frequency, std::uint8_t* lengths) {
    auto totalBits = [frequency](const std::uint8_t* candidate) {
        std::uint64_t bits = CodeTableBits(candidate);
        for (unsigned i = 0; i < kCodeCount; ++i) {
            bits += std::uint64_t{frequency[i]} * candidate[i];
        }
        return bits;
    };
    BuildCodeLengths(frequency, kCodeCount, kMaxCodeLength, lengths);
    EnsureTwoSymbols(lengths, kCodeCount);
    std::uint64_t best = totalBits(lengths);
    for (std::uint32_t floor : {2u, 4u}) {
        std::uint32_t lifted[kCodeCount];
        for (unsigned i = 0; i < kCodeCount; ++i) {
            lifted[i] = frequency[i] == 0 ? 0 : std::max(frequency[i], floor);
        }
        std::uint8_t candidate[kCodeCount];
        BuildCodeLengths(lifted, kCodeCount, kMaxCodeLength, candidate);
        EnsureTwoSymbols(candidate, kCodeCount);
        const std::uint64_t bits = totalBits(candidate);
        if (bits < best) {
            best = bits;
            std::copy(candidate, candidate + kCodeCount, lengths);
        }
    }
}

}  // namespace

Lh5Encoder::Lh5Encoder(EncoderSettings settings)
    : settings_(settings),
      buffer_(kBufferSize + kPadding),
      head_(std::size_t{1} << kHashBits),
      head3_(std::size_t{1} << kHash3Bits),
      head4_(std::size_t{1} << kHash3Bits),
      chain_(kChainSize),
      candidates_(kSegment * kMaxCandidates),
      candidateCount_(kSegment),
      pathCost_(kSegment + 1),
      pathStep_(kSegment + 1),
      traced_(kSegment) {
    settings_.blockCodes = std::clamp(settings_.blockCodes, 1u, 65535u);
    settings_.niceLength = std::clamp(settings_.niceLength, kMinMatch, kMaxMatch);
    settings_.skipLength = std::clamp(settings_.skipLength, kMinMatch + 1, kMaxMatch);
    settings_.maxChain = std::max(settings_.maxChain, 1u);
    settings_.passes = std::max(settings_.passes, 1u);
    settings_.firstPasses = std::max(settings_.firstPasses, 1u);
    settings_.blockCodes = std::min<unsigned>(settings_.blockCodes, kMaxBlockCodes);
    symbols_.resize(kMaxBlockCodes + settings_.blockCodes);
    distances_.resize(kMaxBlockCodes + settings_.blockCodes);
}

bool Lh5Encoder::refill(ByteSource& source) {
    if (sourceDone_ || end_ - pos_ >= kSegment + kMaxMatch) {
        return true;
    }
    if (end_ + kSegment + kMaxMatch > kBufferSize) {
        slide();
    }
    while (end_ < kBufferSize) {
        long got = source.read(buffer_.data() + end_, kBufferSize - end_);
        if (got < 0) {
            readFailed_ = true;
            return false;
        }
        if (got == 0) {
            sourceDone_ = true;
            break;
        }
        end_ += static_cast<std::size_t>(got);
    }
    std::memset(buffer_.data() + end_, 0, kPadding);
    return true;
}

// Drops everything older than one window before the current position and moves the
// table entries along with the data.
void Lh5Encoder::slide() {
    // The chain table is indexed by position modulo its size, so the data moves by whole
    // multiples of that size and every entry keeps its slot.
    std::size_t keepFrom = pos_ > kWindow + 1 ? pos_ - (kWindow + 1) : 0;
    keepFrom -= keepFrom % kChainSize;
    if (keepFrom == 0) {
        return;
    }
    std::memmove(buffer_.data(), buffer_.data() + keepFrom, end_ - keepFrom);
    end_ -= keepFrom;
    pos_ -= keepFrom;
    const auto shift = static_cast<std::uint32_t>(keepFrom);
    auto rebase = [shift](std::uint32_t& entry) { entry = entry > shift ? entry - shift : 0; };
    std::for_each(head_.begin(), head_.end(), rebase);
    std::for_each(head3_.begin(), head3_.end(), rebase);
    std::for_each(head4_.begin(), head4_.end(), rebase);
    std::for_each(chain_.begin(), chain_.end(), rebase);
}

// Links pos into its five-byte chain and its three- and four-byte slots; returns what was
// there. Chains on five bytes stay short; of the shorter matches only the nearest is kept,
// and a short match is only worth taking from near by.
Lh5Encoder::Heads Lh5Encoder::insert(std::size_t pos) {
    const std::uint64_t word = Load64(buffer_.data() + pos);
    std::uint32_t& head3 = head3_[Hash3(word)];
    std::uint32_t& head4 = head4_[Hash4(word)];
    std::uint32_t& headChain = head_[Hash5(word)];
    // The slots of a position a little ahead are fetched now, so that they are in the
    // cache when it comes to them.
    const std::uint64_t ahead = Load64(buffer_.data() + pos + kPrefetchAhead);
    __builtin_prefetch(&head3_[Hash3(ahead)]);
    __builtin_prefetch(&head4_[Hash4(ahead)]);
    __builtin_prefetch(&head_[Hash5(ahead)]);
    const Heads previous{head3, head4, headChain};
    const auto stored = static_cast<std::uint32_t>(pos) + bias_;
    chain_[stored & (kChainSize - 1)] = previous.chain;
    head3 = stored;
    head4 = stored;
    headChain = stored;
    return previous;
}

// The matches at pos that are longer than every nearer one, nearest first: for each
// length, the nearest (and so cheapest) distance that reaches it.
unsigned Lh5Encoder::findMatches(Heads heads, std::size_t pos, unsigned limit,
                                 Candidate* found) const {
    const std::uint8_t* scan = buffer_.data() + pos;
    const auto posStored = static_cast<std::uint32_t>(pos) + bias_;
    const std::uint32_t oldest = posStored - kWindow;
    unsigned best = kMinMatch - 1;
    unsigned count = 0;
    if (heads.three >= oldest) {
        const std::uint8_t* match = buffer_.data() + (heads.three - bias_);
        const unsigned length = CommonLength(scan, match, limit);
        if (length >= kMinMatch) {
            best = length;
            found[count++] = {static_cast<std::uint16_t>(length),
                              static_cast<std::uint16_t>(posStored - heads.three)};
            if (length >= settings_.niceLength || length == limit) {
                return count;
            }
        }
    }
    if (heads.four >= oldest && heads.four != heads.three) {
        const std::uint8_t* match = buffer_.data() + (heads.four - bias_);
        if (match[best] == scan[best]) {
            const unsigned length = CommonLength(scan, match, limit);
            if (length > best) {
                best = length;
                found[count++] = {static_cast<std::uint16_t>(length),
                                  static_cast<std::uint16_t>(posStored - heads.four)};
                if (length >= settings_.niceLength || length == limit) {
                    return count;
                }
            }
        }
    }
    std::uint32_t candidate = heads.chain;
    unsigned chainLeft = settings_.maxChain;
    const std::uint32_t* chain = chain_.data();
    const std::uint8_t* data = buffer_.data();
    const std::uint32_t bias = bias_;
    // The four bytes that end at the longest match so far: a candidate that differs there
    // cannot be longer, and one load rules it out.
    unsigned probe = best >= 4 ? best - 3 : 0;
    std::uint32_t wanted = Load32(scan + probe);
    while (candidate >= oldest && chainLeft-- > 0) {
        const std::uint8_t* match = data + (candidate - bias);
        if (Load32(match + probe) == wanted) {
            const unsigned length = CommonLength(scan, match, limit);
            if (length > best) {
                best = length;
                // Full: the longest matter most, so the last slot takes the new one.
                count = std::min(count, kMaxCandidates - 1);
                found[count++] = {static_cast<std::uint16_t>(length),
                                  static_cast<std::uint16_t>(posStored - candidate)};
                if (length >= settings_.niceLength || length == limit) {
                    break;
                }
                probe = best - 3;
                wanted = Load32(scan + probe);
            }
        }
        const std::uint32_t next = chain[candidate & (kChainSize - 1)];
        if (next >= candidate) {
            break;
        }
        candidate = next;
    }
    return count;
}

void Lh5Encoder::collectCandidates(std::size_t segmentEnd) {
    std::size_t skipUntil = pos_;
    std::size_t searchUntil = pos_;
    Candidate carried{0, 0};
    for (std::size_t pos = pos_; pos < segmentEnd; ++pos) {
        const std::size_t slot = pos - pos_;
        candidateCount_[slot] = 0;
        if (end_ - pos < kMinMatch) {
            continue;
        }
        const Heads heads = insert(pos);
        const auto limit =
            static_cast<unsigned>(std::min<std::size_t>(kMaxMatch, segmentEnd - pos));
        Candidate* found = &candidates_[slot * kMaxCandidates];
        const bool insideLong = pos < skipUntil;
        if (insideLong) {
            --carried.length;
        }
        if (insideLong && pos >= searchUntil) {
            // Deep inside a long match only its own continuation is offered.
            if (carried.length >= kMinMatch) {
                found[0] = carried;
                candidateCount_[slot] = 1;
            }
            continue;
        }
        if (limit < kMinMatch) {
            continue;
        }
        unsigned count = findMatches(heads, pos, limit, found);
        if (insideLong) {
            if (carried.length >= kMinMatch &&
                (count == 0 || found[count - 1].length < carried.length)) {
                count = std::min(count, kMaxCandidates - 1);
                found[count++] = carried;
            }
            candidateCount_[slot] = static_cast<std::uint8_t>(count);
            continue;
        }
        candidateCount_[slot] = static_cast<std::uint8_t>(count);
        // A long match is surely part of the best path: searching deep inside it would
        // mostly find the same match, shifted. Just after its start a longer one that
        // overlaps it may still begin, so the first few positions are searched.
        if (count > 0 && found[count - 1].length >= settings_.skipLength) {
            carried = found[count - 1];
            skipUntil = pos + carried.length - 1;
            searchUntil = pos + 1 + settings_.searchedInside;
        }
    }
}

// Cheapest path of literals and matches from the start of the stretch to its end.
// pathStep_ packs each step as length | distance << 16.
void Lh5Encoder::parseSegment(std::size_t segmentEnd) {
    const std::size_t length = segmentEnd - pos_;
    constexpr std::uint32_t kUnreached = 0xFFFFFFFFu;
    std::fill(pathCost_.begin(), pathCost_.begin() + static_cast<std::ptrdiff_t>(length) + 1,
              kUnreached);
    pathCost_[0] = 0;
    const std::uint8_t* data = buffer_.data() + pos_;
    std::uint32_t* cost = pathCost_.data();
    std::uint32_t* step = pathStep_.data();
    const std::uint32_t* lengthCost = codeCost_.data() + 256 - kMinMatch;
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint32_t here = cost[i];
        const std::uint32_t literal = here + codeCost_[data[i]];
        if (literal < cost[i + 1]) {
            cost[i + 1] = literal;
            step[i + 1] = 1;
        }
        const Candidate* found = &candidates_[i * kMaxCandidates];
        unsigned shorter = kMinMatch - 1;
        for (unsigned k = 0; k < candidateCount_[i]; ++k) {
            const std::uint32_t base = here + DistanceCost(positionCost_.data(), found[k].distance);
            const unsigned longest = found[k].length;
            const std::uint32_t packed = std::uint32_t{found[k].distance} << 16;
            std::uint32_t* to = cost + i;
            std::uint32_t* by = step + i;
            // Only the last few lengths a candidate adds are priced: cutting a match far
            // short of its end rarely pays, and the nearer candidates cover short lengths.
            const unsigned from =
                std::max(shorter + 1, longest > kPricedLengths + shorter ? longest - kPricedLengths
                                                                         : shorter + 1);
            for (unsigned len = from; len <= longest; ++len) {
                const std::uint32_t offer = base + lengthCost[len];
                if (offer < to[len]) {
                    to[len] = offer;
                    by[len] = packed | len;
                }
            }
            shorter = longest;
        }
    }
}

// The steps of the parsed path, first to last, left in pathStep_[0..count).
std::size_t Lh5Encoder::tracePath(std::size_t length) {
    std::size_t count = 0;
    for (std::size_t at = length; at > 0; at -= pathStep_[at] & 0xFFFF) {
        traced_[count++] = {static_cast<std::uint16_t>(pathStep_[at] & 0xFFFF),
                            static_cast<std::uint16_t>(pathStep_[at] >> 16)};
    }
    std::reverse(traced_.begin(), traced_.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
}

void Lh5Encoder::emitLiteral(std::uint8_t byte) {
    symbols_[itemCount_] = byte;
    ++stepCodeFrequency_[byte];
    pushItem();
}

void Lh5Encoder::emitMatch(unsigned length, unsigned distance) {
    const auto symbol = static_cast<std::uint16_t>(length - kMinMatch + 256);
    symbols_[itemCount_] = symbol;
    distances_[itemCount_] = static_cast<std::uint16_t>(distance - 1);
    ++stepCodeFrequency_[symbol];
    ++stepPositionFrequency_[PositionCode(distance - 1)];
    pushItem();
}

void Lh5Encoder::pushItem() {
    if (++itemCount_ - blockItems_ == settings_.blockCodes) {
        settleStep();
    }
}

// Joins the last step to the block, or closes the block before it when the step's
// statistics differ enough to pay for a table of its own.
void Lh5Encoder::settleStep() {
    if (itemCount_ == blockItems_) {
        return;
    }
    if (blockItems_ > 0 && (itemCount_ > kMaxBlockCodes || !cheaperTogether())) {
        writeBlock(blockItems_);
    }
    for (unsigned i = 0; i < kCodeCount; ++i) {
        codeFrequency_[i] += stepCodeFrequency_[i];
    }
    for (unsigned i = 0; i < kPositionCodes; ++i) {
        positionFrequency_[i] += stepPositionFrequency_[i];
    }
    stepCodeFrequency_.fill(0);
    stepPositionFrequency_.fill(0);
    blockItems_ = itemCount_;
}

// Entropy and a rough table price stand in for the real Huffman sizes: close enough to
// choose, and far cheaper to get.
bool Lh5Encoder::cheaperTogether() const {
    struct Estimate {
        double bits = 0;
        void add(const std::uint32_t* counts, const std::uint32_t* more, unsigned size,
                 double symbolTable) {
            double total = 0;
            for (unsigned i = 0; i < size; ++i) {
                const std::uint32_t n = counts[i] + (more != nullptr ? more[i] : 0);
                if (n != 0) {
                    total += n;
                    bits -= XLog2X(n);
                    bits += symbolTable;
                }
            }
            bits += XLog2X(total);
        }
    };
    Estimate block;
    block.add(codeFrequency_.data(), nullptr, kCodeCount, 4.0);
    block.add(positionFrequency_.data(), nullptr, kPositionCodes, 3.0);
    Estimate step;
    step.add(stepCodeFrequency_.data(), nullptr, kCodeCount, 4.0);
    step.add(stepPositionFrequency_.data(), nullptr, kPositionCodes, 3.0);
    Estimate joined;
    joined.add(codeFrequency_.data(), stepCodeFrequency_.data(), kCodeCount, 4.0);
    joined.add(positionFrequency_.data(), stepPositionFrequency_.data(), kPositionCodes, 3.0);
    constexpr double kBlockOverhead = 60;
    return joined.bits <= block.bits + step.bits + kBlockOverhead;
}

void Lh5Encoder::writeLengths(const std::uint8_t* lengths, unsigned count, unsigned countBits,
                              bool withSkip) {
    bits_.put(count, countBits);
    for (unsigned i = 0; i < count; ++i) {
        const unsigned length = lengths[i];
        if (length <= 6) {
            bits_.put(length, 3);
        } else {
            bits_.put(7, 3);
            bits_.put(((1u << (length - 7)) - 1) << 1, length - 6);
        }
        if (withSkip && i == 2) {
            unsigned zeros = 0;
            while (zeros < 3 && i + 1 + zeros < count && lengths[i + 1 + zeros] == 0) {
                ++zeros;
            }
            bits_.put(zeros, 2);
            i += zeros;
        }
    }
}

void Lh5Encoder::writeCodeLengths(const std::uint8_t* codeLengths, const std::uint8_t* tLengths,
                                  const std::uint16_t* tCodes) {
    const unsigned count = TrimmedCount(codeLengths, kCodeCount);
    bits_.put(count, kCountBitsC);
    ForEachCodeLengthToken(codeLengths, count, [&](unsigned code, unsigned extra, unsigned bits) {
        bits_.put(tCodes[code], tLengths[code]);
        if (bits != 0) {
            bits_.put(extra, bits);
        }
    });
}

// Writes the first count items, which must be the whole block, and keeps the rest.
void Lh5Encoder::writeBlock(std::size_t count) {
    if (count == 0) {
        return;
    }
    std::uint8_t codeLengths[kCodeCount];
    std::uint16_t codes[kCodeCount];
    ChooseCodeLengths(codeFrequency_.data(), codeLengths);
    BuildCanonicalCodes(codeLengths, kCodeCount, codes);

    std::uint32_t tFrequency[kTCodeCount] = {};
    ForEachCodeLengthToken(codeLengths, TrimmedCount(codeLengths, kCodeCount),
                           [&](unsigned code, unsigned, unsigned) { ++tFrequency[code]; });
    std::uint8_t tLengths[kTCodeCount];
    std::uint16_t tCodes[kTCodeCount];
    BuildCodeLengths(tFrequency, kTCodeCount, kMaxCodeLength, tLengths);
    EnsureTwoSymbols(tLengths, kTCodeCount);
    BuildCanonicalCodes(tLengths, kTCodeCount, tCodes);

    std::uint8_t pLengths[kPositionCodes];
    std::uint16_t pCodes[kPositionCodes];
    BuildCodeLengths(positionFrequency_.data(), kPositionCodes, kMaxCodeLength, pLengths);
    const bool hasMatches = TrimmedCount(pLengths, kPositionCodes) != 0;
    if (hasMatches) {
        EnsureTwoSymbols(pLengths, kPositionCodes);
        BuildCanonicalCodes(pLengths, kPositionCodes, pCodes);
    }

    bits_.put(static_cast<std::uint32_t>(count), 16);
    writeLengths(tLengths, TrimmedCount(tLengths, kTCodeCount), kCountBitsT, true);
    writeCodeLengths(codeLengths, tLengths, tCodes);
    if (hasMatches) {
        writeLengths(pLengths, TrimmedCount(pLengths, kPositionCodes), kCountBitsP, false);
    } else {
        // No matches: a table of one symbol that no code uses.
        bits_.put(0, kCountBitsP);
        bits_.put(0, kCountBitsP);
    }

    for (std::size_t i = 0; i < count; ++i) {
        const unsigned symbol = symbols_[i];
        bits_.put(codes[symbol], codeLengths[symbol]);
        if (symbol >= 256) {
            const unsigned distanceMinusOne = distances_[i];
            const unsigned code = PositionCode(distanceMinusOne);
            bits_.put(pCodes[code], pLengths[code]);
            if (code > 1) {
                bits_.put(distanceMinusOne - (1u << (code - 1)), code - 1);
            }
        }
    }
    bits_.flush(false);
    std::copy(symbols_.begin() + static_cast<std::ptrdiff_t>(count),
              symbols_.begin() + static_cast<std::ptrdiff_t>(itemCount_), symbols_.begin());
    std::copy(distances_.begin() + static_cast<std::ptrdiff_t>(count),
              distances_.begin() + static_cast<std::ptrdiff_t>(itemCount_), distances_.begin());
    itemCount_ -= count;
    blockItems_ = 0;
    codeFrequency_.fill(0);
    positionFrequency_.fill(0);
}

bool Lh5Encoder::drain(ByteSink& sink, bool final) {
    if (out_.empty() || (!final && out_.size() < kOutputChunk)) {
        return true;
    }
    written_ += out_.size();
    bool ok = sink.write(out_.data(), out_.size());
    out_.clear();
    return ok;
}

void Lh5Encoder::setStartingCosts() {
    for (unsigned symbol = 0; symbol < 256; ++symbol) {
        codeCost_[symbol] = 8 * kPriceScale;
    }
    for (unsigned symbol = 256; symbol < kCodeCount; ++symbol) {
        codeCost_[symbol] =
            (6 + static_cast<std::uint32_t>(std::bit_width(symbol - 255u))) * kPriceScale;
    }
    positionCost_.fill(4 * kPriceScale);
}

// Prices for the next parse, from the symbols of the path just found and of the block it
// joins.
void Lh5Encoder::setCostsFromPath(std::size_t steps) {
    std::uint32_t codeCounts[kCodeCount] = {};
    std::uint32_t positionCounts[kPositionCodes] = {};
    std::size_t at = pos_;
    for (std::size_t i = 0; i < steps; ++i) {
        const Candidate step = traced_[i];
        if (step.length == 1) {
            ++codeCounts[buffer_[at]];
        } else {
            ++codeCounts[step.length - kMinMatch + 256];
            ++positionCounts[PositionCode(step.distance - 1u)];
        }
        at += step.length;
    }
    // Half the weight of the block so far steadies the prices of a short stretch.
    for (unsigned i = 0; i < kCodeCount; ++i) {
        codeCounts[i] += (codeFrequency_[i] + stepCodeFrequency_[i]) / 2;
    }
    for (unsigned i = 0; i < kPositionCodes; ++i) {
        positionCounts[i] += (positionFrequency_[i] + stepPositionFrequency_[i]) / 2;
    }
    SetPrices(codeCounts, kCodeCount, codeCost_.data());
    SetPrices(positionCounts, kPositionCodes, positionCost_.data());
}

void Lh5Encoder::emitPath(std::size_t steps) {
    for (std::size_t i = 0; i < steps; ++i) {
        const Candidate step = traced_[i];
        if (step.length == 1) {
            emitLiteral(buffer_[pos_]);
        } else {
            emitMatch(step.length, step.distance);
        }
        pos_ += step.length;
    }
}

EncodeOutcome Lh5Encoder::encode(ByteSource& source, ByteSink& sink, std::uint64_t limit,
                                 std::uint64_t& packedSize) {
    pos_ = 0;
    sourceDone_ = readFailed_ = false;
    // The tables are not cleared between files: a bias past everything the last file
    // stored puts its entries out of the window. Only a bias about to run out clears them.
    const std::uint64_t nextBias = std::uint64_t{bias_} + end_ + kWindow + 1;
    end_ = 0;
    if (bias_ == 0 || nextBias > kMaxBias) {
        std::fill(head_.begin(), head_.end(), 0u);
        std::fill(head3_.begin(), head3_.end(), 0u);
        std::fill(head4_.begin(), head4_.end(), 0u);
        std::fill(chain_.begin(), chain_.end(), 0u);
        bias_ = kWindow + 1;
    } else {
        bias_ = static_cast<std::uint32_t>(nextBias);
    }
    itemCount_ = 0;
    blockItems_ = 0;
    codeFrequency_.fill(0);
    positionFrequency_.fill(0);
    stepCodeFrequency_.fill(0);
    stepPositionFrequency_.fill(0);
    out_.clear();
    written_ = 0;
    bits_.reset();
    // Later files start from the prices the last one ended with: files packed together
    // tend to be alike, and any prices are better than flat ones.
    const bool fromScratch = !priced_;
    if (fromScratch) {
        setStartingCosts();
        priced_ = true;
    }

    for (;;) {
        if (!refill(source)) {
            return EncodeOutcome::ReadFailed;
        }
        if (pos_ >= end_) {
            break;
        }
        const std::size_t segmentEnd = std::min(pos_ + kSegment, end_);
        collectCandidates(segmentEnd);
        std::size_t steps = 0;
        const unsigned passes =
            pos_ == 0 && fromScratch ? settings_.firstPasses : settings_.passes;
        for (unsigned pass = 0; pass < passes; ++pass) {
            parseSegment(segmentEnd);
            steps = tracePath(segmentEnd - pos_);
            setCostsFromPath(steps);
        }
        emitPath(steps);
        if (out_.size() >= kOutputChunk) {
            if (written_ + out_.size() > limit) {
                return EncodeOutcome::NotSmaller;
            }
            if (!drain(sink, false)) {
                return EncodeOutcome::WriteFailed;
            }
        }
    }
    settleStep();
    writeBlock(blockItems_);
    bits_.flush(true);
    if (written_ + out_.size() > limit) {
        return EncodeOutcome::NotSmaller;
    }
    packedSize = written_ + out_.size();
    if (!drain(sink, true)) {
        return EncodeOutcome::WriteFailed;
    }
    return EncodeOutcome::Packed;
}

}  // namespace zolvane::archiver
