// Bits to bytes, most significant bit first, as LZH streams are packed.
#pragma once

#include <cstdint>
#include <vector>

namespace zolvane::archiver {

class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    // value must fit in bits; bits at most 32.
    void put(std::uint32_t value, unsigned bits) {
        accumulator_ = (accumulator_ << bits) | value;
        pending_ += bits;
        if (pending_ >= 32) {
            pending_ -= 32;
            auto word = static_cast<std::uint32_t>(accumulator_ >> pending_);
            std::uint8_t bytes[4] = {
                static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16),
                static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
            out_.insert(out_.end(), bytes, bytes + 4);
        }
    }

    void reset() {
        accumulator_ = 0;
        pending_ = 0;
    }

    // Writes the whole bytes held back; the last partial byte stays unless final is set,
    // which pads it with zero bits (fewer than eight: readers refuse more).
    void flush(bool final) {
        while (pending_ >= 8) {
            pending_ -= 8;
            out_.push_back(static_cast<std::uint8_t>(accumulator_ >> pending_));
        }
        if (final && pending_ > 0) {
            out_.push_back(static_cast<std::uint8_t>(accumulator_ << (8 - pending_)));
            pending_ = 0;
        }
    }

private:
    std::vector<std::uint8_t>& out_;
    std::uint64_t accumulator_ = 0;
    unsigned pending_ = 0;
};

}  // namespace zolvane::archiver
