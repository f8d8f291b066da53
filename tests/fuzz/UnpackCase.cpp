#include "tests/fuzz/UnpackCase.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace zolvane::fuzz {
namespace {

const std::string kMethods[] = {"-lh0-", "-lh5-", "-lhd-", "-lh7-"};
// A file, a folder, a symbolic link and a pipe.
constexpr std::uint16_t kModes[] = {0100644, 0040755, 0120777, 0010644};

bool Packed(const std::string& method) {
    return method != "-lh0-" && method != "-lhd-";
}

constexpr std::uint8_t kBuiltBit = 0x01;
constexpr std::uint8_t kBadCrcBit = 0x10;

std::string Text(InputReader& in, std::size_t length) {
    const Bytes bytes = in.bytes(length);
    return std::string(bytes.begin(), bytes.end());
}

template <typename T, std::size_t N>
std::uint8_t IndexIn(const T (&table)[N], const T& value) {
    return static_cast<std::uint8_t>(std::find(table, table + N, value) - table) % N;
}

}  // namespace

UnpackCase DecodeUnpackCase(const std::uint8_t* data, std::size_t size) {
    InputReader in(data, size);
    UnpackCase unpack;
    unpack.built = (in.u8() & kBuiltBit) != 0;
    if (!unpack.built) {
        unpack.raw = in.rest();
        return unpack;
    }
    while (!in.atEnd() && unpack.members.size() < kMaxMembers) {
        test::HandMember member;
        const std::uint8_t kind = in.u8();
        member.method = kMethods[kind & 3];
        member.unixMode = kModes[(kind >> 2) & 3];
        member.badDataCrc = (kind & kBadCrcBit) != 0;
        member.folder = Text(in, in.u8());
        member.name = Text(in, in.u8());
        member.data = in.bytes(in.u16());
        if (Packed(member.method)) {
            // What the packed data should unpack to: a size and a byte repeated, which is
            // what the shortest streams give.
            const std::uint16_t originalSize = in.u16();
            member.original.assign(originalSize, in.u8());
        }
        unpack.members.push_back(std::move(member));
    }
    return unpack;
}

Bytes EncodeUnpackCase(const UnpackCase& unpack) {
    InputWriter out;
    out.u8(unpack.built ? kBuiltBit : 0);
    if (!unpack.built) {
        out.bytes(unpack.raw);
        return out.result();
    }
    for (const test::HandMember& member : unpack.members) {
        out.u8(static_cast<std::uint8_t>(IndexIn(kMethods, member.method) |
                                         (IndexIn(kModes, member.unixMode) << 2) |
                                         (member.badDataCrc ? kBadCrcBit : 0)));
        out.u8(static_cast<std::uint8_t>(member.folder.size()));
        out.bytes(Bytes(member.folder.begin(), member.folder.end()));
        out.u8(static_cast<std::uint8_t>(member.name.size()));
        out.bytes(Bytes(member.name.begin(), member.name.end()));
        out.u16(static_cast<std::uint16_t>(member.data.size()));
        out.bytes(member.data);
        if (Packed(member.method)) {
            out.u16(static_cast<std::uint16_t>(member.original.size()));
            out.u8(member.original.empty() ? 0 : member.original.front());
        }
    }
    return out.result();
}

Bytes ArchiveOf(const UnpackCase& unpack) {
    return unpack.built ? test::BuildHandArchive(unpack.members) : unpack.raw;
}

}  // namespace zolvane::fuzz
