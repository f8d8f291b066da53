// The -lh5- packer: LZSS over an 8 KiB window with static Huffman codes per block. The
// parse is chosen by cost: for each stretch of input every match the hash chains offer is
// priced with the code lengths of the blocks just written, and the cheapest path of
// literals and matches through the stretch wins.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "archiver/BitWriter.h"
#include "archiver/ByteStreams.h"

namespace zolvane::archiver {

// How hard the match finder works; the defaults are what the archiver uses.
struct EncoderSettings {
    unsigned maxChain = 24;      // chain entries tried per position
    unsigned niceLength = 64;    // a match this long is taken as it is, without pricing
    unsigned blockCodes = 8192;  // codes per Huffman block
    unsigned passes = 2;         // parses of a stretch; later ones use the earlier's codes
};

enum class EncodeOutcome { Packed, NotSmaller, ReadFailed, WriteFailed };

class Lh5Encoder {
public:
    explicit Lh5Encoder(EncoderSettings settings = {});

    // Packs everything source gives into sink. Gives up with NotSmaller as soon as the
    // packed size would exceed limit, so that the caller can store the data instead.
    EncodeOutcome encode(ByteSource& source, ByteSink& sink, std::uint64_t limit,
                         std::uint64_t& packedSize);

private:
    static constexpr unsigned kWindow = 8192;
    static constexpr unsigned kMaxMatch = 256;
    static constexpr unsigned kMinMatch = 3;
    static constexpr unsigned kCodeCount = 510;  // 256 literals and lengths 3..256
    static constexpr unsigned kPositionCodes = 14;
    static constexpr unsigned kHashBits = 15;
    static constexpr unsigned kChainSize = 2 * kWindow;
    // Table entries hold buffer index + kBias, so that 0 stays out of reach as "empty".
    static constexpr std::uint32_t kBias = kWindow + 1;
    static constexpr std::size_t kSegment = 8192;
    static constexpr unsigned kMaxCandidates = 8;

    struct Candidate {
        std::uint16_t length;
        std::uint16_t distance;
    };

    bool refill(ByteSource& source);
    void slide();
    std::uint32_t insert(std::size_t pos);
    unsigned findMatches(std::uint32_t candidate, std::size_t pos, unsigned limit,
                         Candidate* found) const;
    void collectCandidates(std::size_t segmentEnd);
    void parseSegment(std::size_t segmentEnd);
    std::size_t tracePath(std::size_t length);
    void setStartingCosts();
    void setCostsFromPath(std::size_t steps);
    void emitPath(std::size_t steps);
    void emitLiteral(std::uint8_t byte);
    void emitMatch(unsigned length, unsigned distance);
    void writeBlock();
    void writeLengths(const std::uint8_t* lengths, unsigned count, unsigned countBits,
                      bool withSkip);
    void writeCodeLengths(const std::uint8_t* codeLengths, const std::uint8_t* tLengths,
                          const std::uint16_t* tCodes);
    bool drain(ByteSink& sink, bool final);

    EncoderSettings settings_;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool sourceDone_ = false;
    bool readFailed_ = false;
    std::vector<std::uint32_t> head_;
    std::vector<std::uint32_t> chain_;

    // Per position of the current stretch: its candidate matches (longer ones farther),
    // and for the parse the cheapest cost to reach it and the step that got there.
    std::vector<Candidate> candidates_;
    std::vector<std::uint8_t> candidateCount_;
    std::vector<std::uint32_t> pathCost_;
    std::vector<Candidate> pathStep_;
    std::vector<Candidate> traced_;
    std::array<std::uint32_t, kCodeCount> codeCost_{};
    std::array<std::uint32_t, kPositionCodes> positionCost_{};

    std::vector<std::uint16_t> symbols_;
    std::vector<std::uint16_t> distances_;
    std::size_t itemCount_ = 0;
    std::array<std::uint32_t, kCodeCount> codeFrequency_{};
    std::array<std::uint32_t, kPositionCodes> positionFrequency_{};

    std::vector<std::uint8_t> out_;
    BitWriter bits_{out_};
    std::uint64_t written_ = 0;
};

}  // namespace zolvane::archiver
