#include "archiver/Lh5Decoder.h"

#include <algorithm>
#include <array>
#include <vector>

#include "archiver/Crc16.h"

namespace zolvane::archiver {
namespace {

constexpr unsigned kCodeCount = 510;  // 256 literals and match lengths 3..256
constexpr unsigned kLiteralCount = 256;
constexpr unsigned kMatchBias = 253;  // match length = symbol - kMatchBias
constexpr unsigned kTCodeCount = 19;
constexpr unsigned kCountBitsT = 5;
constexpr unsigned kCountBitsC = 9;
constexpr unsigned kMaxLength = 16;
constexpr unsigned kMaxPositionCodes = 17;
constexpr std::size_t kInputBlock = 4096;

// Bits most significant first. Past the end of the data it gives zero bits, so that a
// code can always be looked up whole, and remembers when any of them were taken: then
// the stream needed more than it has.
class BitReader {
public:
    explicit BitReader(ByteSource& source) : source_(source) {}

    // The next count bits (1 to 16) without taking them.
    unsigned peek(unsigned count) {
        fill();
        return static_cast<unsigned>(word_ >> (64 - count));
    }

    void skip(unsigned count) {
        word_ <<= count;
        held_ -= count;
        if (held_ < padding_) {
            overrun_ = true;
            padding_ = held_;
        }
    }

    unsigned take(unsigned count) {
        if (count == 0) {
            return 0;
        }
        const unsigned value = peek(count);
        skip(count);
        return value;
    }

    bool overrun() const { return overrun_; }
    bool readFailed() const { return readFailed_; }

private:
    void fill() {
        while (held_ <= 56) {
            if (at_ == end_ && !ended_) {
                load();
            }
            std::uint64_t byte = 0;
            if (at_ < end_) {
                byte = buffer_[at_++];
            } else {
                padding_ += 8;
            }
            word_ |= byte << (56 - held_);
            held_ += 8;
        }
    }

    void load() {
        const long got = source_.read(buffer_.data(), buffer_.size());
        at_ = 0;
        end_ = got > 0 ? static_cast<std::size_t>(got) : 0;
        ended_ = got <= 0;
        readFailed_ = got < 0;
    }

    ByteSource& source_;
    std::array<std::uint8_t, kInputBlock> buffer_{};
    std::size_t at_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
    bool readFailed_ = false;
    bool overrun_ = false;
    std::uint64_t word_ = 0;  // held bits at the top
    unsigned held_ = 0;
    unsigned padding_ = 0;  // how many of the held bits lie past the end
};

// A canonical Huffman code read back from its lengths: codes of up to kFastBits bits are
// found with one look-up, longer ones length by length.
class CodeTable {
public:
    // What a count of zero announces: one symbol that costs no bits.
    void setSingle(unsigned symbol) {
        single_ = true;
        singleSymbol_ = symbol;
    }

    // False unless the lengths (each at most 16) fill the code space exactly: incomplete
    // and over-full codes both mean damage.
    bool build(const std::uint8_t* lengths, unsigned count) {
        single_ = false;
        lengthCount_.fill(0);
        for (unsigned symbol = 0; symbol < count; ++symbol) {
            ++lengthCount_[lengths[symbol]];
        }
        lengthCount_[0] = 0;
        std::uint32_t space = 0;
        for (unsigned length = 1; length <= kMaxLength; ++length) {
            space += std::uint32_t{lengthCount_[length]} << (kMaxLength - length);
        }
        if (space != std::uint32_t{1} << kMaxLength) {
            return false;
        }
        std::uint32_t code = 0;
        unsigned index = 0;
        std::array<unsigned, kMaxLength + 1> next{};
        for (unsigned length = 1; length <= kMaxLength; ++length) {
            firstCode_[length] = code;
            firstIndex_[length] = index;
            next[length] = index;
            code = (code + lengthCount_[length]) << 1;
            index += lengthCount_[length];
        }
        for (unsigned symbol = 0; symbol < count; ++symbol) {
            if (lengths[symbol] != 0) {
                sorted_[next[lengths[symbol]]++] = static_cast<std::uint16_t>(symbol);
            }
        }
        fast_.fill(0);
        for (unsigned length = 1; length <= kFastBits; ++length) {
            for (unsigned i = 0; i < lengthCount_[length]; ++i) {
                const unsigned symbol = sorted_[firstIndex_[length] + i];
                const unsigned first = (firstCode_[length] + i) << (kFastBits - length);
                const unsigned span = 1u << (kFastBits - length);
                for (unsigned slot = first; slot < first + span; ++slot) {
                    fast_[slot] = static_cast<std::uint16_t>(symbol << 5 | length);
                }
            }
        }
        return true;
    }

    unsigned decode(BitReader& bits) const {
        if (single_) {
            return singleSymbol_;
        }
        const unsigned ahead = bits.peek(kMaxLength);
        const unsigned entry = fast_[ahead >> (kMaxLength - kFastBits)];
        if (entry != 0) {
            bits.skip(entry & 31);
            return entry >> 5;
        }
        for (unsigned length = kFastBits + 1; length <= kMaxLength; ++length) {
            const std::uint32_t offset = (ahead >> (kMaxLength - length)) - firstCode_[length];
            if (offset < lengthCount_[length]) {
                bits.skip(length);
                return sorted_[firstIndex_[length] + offset];
            }
        }
        return 0;  // not reached: a complete code always ends within 16 bits
    }

private:
    static constexpr unsigned kFastBits = 10;

    bool single_ = false;
    unsigned singleSymbol_ = 0;
    std::array<std::uint16_t, kMaxLength + 1> lengthCount_{};
    std::array<std::uint32_t, kMaxLength + 1> firstCode_{};
    std::array<unsigned, kMaxLength + 1> firstIndex_{};
    std::array<std::uint16_t, kCodeCount> sorted_{};
    std::array<std::uint16_t, 1u << kFastBits> fast_{};  // symbol << 5 | length, 0: longer
};

class Decoder {
public:
    Decoder(const LhMethod& method, ByteSource& packed, ByteSink& sink)
        : method_(method),
          bits_(packed),
          sink_(sink),
          window_(std::size_t{1} << method.windowBits) {}

    DecodeOutcome run(std::uint64_t originalSize, std::uint16_t crc) {
        std::uint64_t produced = 0;
        unsigned blockLeft = 0;
        while (produced < originalSize) {
            if (blockLeft == 0) {
                blockLeft = bits_.take(16);
                if (blockLeft == 0 || !readTables()) {
                    return damaged();
                }
            }
            --blockLeft;
            const unsigned symbol = codes_.decode(bits_);
            if (symbol < kLiteralCount) {
                if (!put(static_cast<std::uint8_t>(symbol))) {
                    return DecodeOutcome::WriteFailed;
                }
                ++produced;
            } else {
                const unsigned length = symbol - kMatchBias;
                const std::uint64_t distance = readDistance();
                if (distance > produced || distance > window_.size() ||
                    length > originalSize - produced) {
                    return damaged();
                }
                if (!copy(static_cast<std::size_t>(distance), length)) {
                    return DecodeOutcome::WriteFailed;
                }
                produced += length;
            }
            if (bits_.overrun()) {
                return damaged();
            }
        }
        if (!flush()) {
            return DecodeOutcome::WriteFailed;
        }
        return crc_ == crc ? DecodeOutcome::Done : DecodeOutcome::BadCrc;
    }

private:
    DecodeOutcome damaged() const {
        return bits_.readFailed() ? DecodeOutcome::ReadFailed : DecodeOutcome::Damaged;
    }

    bool readTables() {
        return readLengths(kTCodeCount, kCountBitsT, true, tCodes_) && readCodeLengths() &&
               readLengths(method_.positionCodes, method_.positionCountBits, false, positions_) &&
               !bits_.overrun();
    }

    // The T and P tables: each length in 3 bits, 7 and more as 111 and then one 1 bit per
    // step above 7, ended by a 0. The T table has a 2-bit run of zeros after its third.
    bool readLengths(unsigned symbols, unsigned countBits, bool skipAfterThird, CodeTable& table) {
        const unsigned count = bits_.take(countBits);
        if (count == 0) {
            const unsigned symbol = bits_.take(countBits);
            table.setSingle(symbol);
            return symbol < symbols;
        }
        if (count > symbols) {
            return false;
        }
        std::array<std::uint8_t, std::max(kTCodeCount, kMaxPositionCodes)> lengths{};
        unsigned i = 0;
        while (i < count) {
            unsigned length = bits_.take(3);
            if (length == 7) {
                while (bits_.take(1) == 1) {
                    if (++length > kMaxLength) {
                        return false;
                    }
                }
            }
            lengths[i++] = static_cast<std::uint8_t>(length);
            if (skipAfterThird && i == 3) {
                i += bits_.take(2);
                if (i > count) {
                    return false;
                }
            }
        }
        return table.build(lengths.data(), symbols);
    }

    // The C table, its lengths in T codes: 0 one zero, 1 and 2 runs of zeros with a 4-bit
    // or 9-bit count, 3 and up a length of code - 2.
    bool readCodeLengths() {
        const unsigned count = bits_.take(kCountBitsC);
        if (count == 0) {
            const unsigned symbol = bits_.take(kCountBitsC);
            codes_.setSingle(symbol);
            return symbol < kCodeCount;
        }
        if (count > kCodeCount) {
            return false;
        }
        std::array<std::uint8_t, kCodeCount> lengths{};
        unsigned i = 0;
        while (i < count) {
            const unsigned code = tCodes_.decode(bits_);
            if (code > 2) {
                lengths[i++] = static_cast<std::uint8_t>(code - 2);
                continue;
            }
            i += code == 0 ? 1 : code == 1 ? bits_.take(4) + 3 : bits_.take(kCountBitsC) + 20;
            if (i > count) {
                return false;
            }
        }
        return codes_.build(lengths.data(), kCodeCount);
    }

    std::uint64_t readDistance() {
        const unsigned code = positions_.decode(bits_);
        if (code <= 1) {
            return code + 1;
        }
        return (std::uint64_t{1} << (code - 1)) + bits_.take(code - 1) + 1;
    }

    bool put(std::uint8_t byte) {
        window_[at_++] = byte;
        return at_ < window_.size() || flush();
    }

    // distance is at most the bytes produced so far and at most the window.
    bool copy(std::size_t distance, unsigned length) {
        const std::size_t mask = window_.size() - 1;
        std::size_t from = (at_ - distance) & mask;
        for (unsigned i = 0; i < length; ++i) {
            if (!put(window_[from])) {
                return false;
            }
            from = (from + 1) & mask;
        }
        return true;
    }

    // Hands the bytes written since the last flush to the sink; a full window starts over.
    bool flush() {
        const std::size_t size = at_ - flushed_;
        if (size > 0) {
            crc_ = UpdateCrc16(crc_, window_.data() + flushed_, size);
            if (!sink_.write(window_.data() + flushed_, size)) {
                return false;
            }
        }
        if (at_ == window_.size()) {
            at_ = 0;
        }
        flushed_ = at_;
        return true;
    }

    const LhMethod method_;
    BitReader bits_;
    ByteSink& sink_;
    std::vector<std::uint8_t> window_;
    std::size_t at_ = 0;
    std::size_t flushed_ = 0;
    std::uint16_t crc_ = 0;
    CodeTable tCodes_;
    CodeTable codes_;
    CodeTable positions_;
};

}  // namespace

std::optional<LhMethod> LhMethodNamed(const std::string& method) {
    if (method == "-lh5-") {
        return LhMethod{13, 14, 4};
    }
    if (method == "-lh6-") {
        return LhMethod{15, 16, 5};
    }
    if (method == "-lh7-") {
        return LhMethod{16, 17, 5};
    }
    return std::nullopt;
}

DecodeOutcome DecodeLh(const LhMethod& method, ByteSource& packed, std::uint64_t originalSize,
                       std::uint16_t crc, ByteSink& sink) {
    if (method.windowBits > 16 || method.positionCodes > kMaxPositionCodes ||
        method.positionCountBits > 5) {
        return DecodeOutcome::Damaged;
    }
    Decoder decoder(method, packed, sink);
    return decoder.run(originalSize, crc);
}

const char* DescribeOutcome(DecodeOutcome outcome) {
    switch (outcome) {
    case DecodeOutcome::Done:
        return "unpacked";
    case DecodeOutcome::Damaged:
        return "damaged data";
    case DecodeOutcome::BadCrc:
        return "CRC error";
    case DecodeOutcome::ReadFailed:
        return "cannot read the archive";
    case DecodeOutcome::WriteFailed:
        return "cannot write";
    }
    return "damaged data";
}

}  // namespace zolvane::archiver
