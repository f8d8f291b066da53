// The encoder's two ends: where the bytes to pack come from and where packed bytes go.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zolvane::archiver {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills up to size bytes; returns the count (0 at the end), or -1 on a read error.
    virtual long read(std::uint8_t* data, std::size_t size) = 0;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Takes all bytes or reports false.
    virtual bool write(const std::uint8_t* data, std::size_t size) = 0;
};

}  // namespace zolvane::archiver
