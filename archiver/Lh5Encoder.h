// The -lh5- packer: LZSS over an 8 KiB window with static Huffman codes per block. The
// parse is chosen by cost: for each stretch of input every match the hash tables offer is
// priced by how often its symbols occurred in the stretches just packed, and the cheapest
// path of literals and matches through the stretch wins. One packer serves all files of a
// command; its prices carry over from one file to the next, its matches never do.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "archiver/BitWriter.h"
#include "archiver/ByteStreams.h"

namespace zolvane::archiver {

// How hard the match finder works; the defaults are what the archiver uses.
struct EncoderSettings {
    unsigned maxChain = 32;      // chain entries tried per position
    unsigned niceLength = 256;   // a match this long ends the search
    unsigned skipLength = 10;    // positions inside a match this long are not searched...
    unsigned searchedInside = 2; // ...but for the first few after its start
    unsigned blockCodes = 2048;  // codes per step of the block split: a block grows by whole
                                 // steps while one table for both halves costs less than two
    unsigned firstPasses = 2;    // parses of the very first stretch, each priced by the one
                                 // before: at the start there are no codes yet to price by
    unsigned passes = 1;         // parses of every later stretch
};

enum class EncodeOutcome { Packed, NotSmaller, ReadFailed, WriteFailed };

class Lh5Encoder {
public:
    explicit Lh5Encoder(EncoderSettings settings = {});

    // Packs everything source gives into sink. Gives up with NotSmaller as soon as the
    // packed size would exceed limit, so that the caller can store the data instead.
    EncodeOutcome encode(ByteSource& source, ByteSink& sink, std::uint64_t limit,
                         std::uint64_t& packedSize);

    static constexpr unsigned kWindow = 8192;
    static constexpr unsigned kMaxMatch = 256;
    static constexpr unsigned kMinMatch = 3;
    static constexpr unsigned kCodeCount = 510;  // 256 literals and lengths 3..256
    static constexpr unsigned kPositionCodes = 14;
    static constexpr unsigned kHashBits = 15;   // of the chains, keyed on five bytes
    static constexpr unsigned kHash3Bits = 16;  // of the nearest three- and four-byte matches

private:
    static constexpr std::size_t kPrefetchAhead = 4;
    static constexpr unsigned kChainSize = 2 * kWindow;
    // Table entries hold buffer index + bias_, at least one window more than 0, so that 0
    // stays out of reach as "empty"; each file gets a larger bias than the one before.
    static constexpr std::uint32_t kMaxBias = std::uint32_t{1} << 30;
    static constexpr std::size_t kSegment = 8192;
    static constexpr unsigned kMaxCandidates = 8;
    static constexpr unsigned kPricedLengths = 2;
    static constexpr std::size_t kMaxBlockCodes = 32768;

    struct Candidate {
        std::uint16_t length;
        std::uint16_t distance;
    };

    bool refill(ByteSource& source);
    void slide();
    struct Heads {
        std::uint32_t three;
        std::uint32_t four;
        std::uint32_t chain;
    };

    Heads insert(std::size_t pos);
    unsigned findMatches(Heads heads, std::size_t pos, unsigned limit, Candidate* found) const;
    void collectCandidates(std::size_t segmentEnd);
    void parseSegment(std::size_t segmentEnd);
    std::size_t tracePath(std::size_t length);
    void setStartingCosts();
    void setCostsFromPath(std::size_t steps);
    void emitPath(std::size_t steps);
    void emitLiteral(std::uint8_t byte);
    void emitMatch(unsigned length, unsigned distance);
    void pushItem();
    void settleStep();
    bool cheaperTogether() const;
    void writeBlock(std::size_t count);
    void writeLengths(const std::uint8_t* lengths, unsigned count, unsigned countBits,
                      bool withSkip);
    void writeCodeLengths(const std::uint8_t* codeLengths, const std::uint8_t* tLengths,
                          const std::uint16_t* tCodes);
    bool drain(ByteSink& sink, bool final);

    EncoderSettings settings_;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    std::uint32_t bias_ = 0;
    bool sourceDone_ = false;
    bool readFailed_ = false;
    std::vector<std::uint32_t> head_;
    std::vector<std::uint32_t> head3_;
    std::vector<std::uint32_t> head4_;
    std::vector<std::uint32_t> chain_;

    // Per position of the current stretch: its candidate matches (longer ones farther),
    // and for the parse the cheapest cost to reach it and the step that got there.
    std::vector<Candidate> candidates_;
    std::vector<std::uint8_t> candidateCount_;
    std::vector<std::uint32_t> pathCost_;
    std::vector<std::uint32_t> pathStep_;
    std::vector<Candidate> traced_;
    std::array<std::uint32_t, kCodeCount> codeCost_{};
    std::array<std::uint32_t, kPositionCodes> positionCost_{};

    std::vector<std::uint16_t> symbols_;
    std::vector<std::uint16_t> distances_;
    // Items of the block being built, then those of the step not yet settled.
    std::size_t itemCount_ = 0;
    std::size_t blockItems_ = 0;
    std::array<std::uint32_t, kCodeCount> codeFrequency_{};
    std::array<std::uint32_t, kPositionCodes> positionFrequency_{};
    std::array<std::uint32_t, kCodeCount> stepCodeFrequency_{};
    std::array<std::uint32_t, kPositionCodes> stepPositionFrequency_{};

    std::vector<std::uint8_t> out_;
    BitWriter bits_{out_};
    std::uint64_t written_ = 0;
    bool priced_ = false;
};

}  // namespace zolvane::archiver
