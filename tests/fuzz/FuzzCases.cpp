#include "tests/fuzz/FuzzCases.h"

#include <algorithm>

namespace zolvane::fuzz {
namespace {

// Options byte of a join case.
constexpr std::uint8_t kExistingBits = 0x03;
constexpr std::uint8_t kReadyBit = 0x04;
constexpr std::uint8_t kBusyBit = 0x08;
constexpr std::uint8_t kDeclinedBit = 0x10;
constexpr int kSelectionShift = 5;
constexpr std::uint8_t kQuotedBit = 0x80;

// Control byte of a piece.
constexpr std::uint8_t kHeaderBit = 0x01;
constexpr std::uint8_t kGapBit = 0x02;
constexpr std::uint8_t kFolderBit = 0x04;
constexpr int kFillerShift = 4;

SynthesizedHeader ReadHeader(InputReader& in) {
    SynthesizedHeader header;
    header.archiveFlag = in.u8();
    header.sizeFromData = (in.u8() & 1) != 0;
    header.sizeValue = in.i32();
    const Bytes time = in.bytes(header.timestamp.size());
    std::copy(time.begin(), time.end(), header.timestamp.begin());
    header.attributes = in.i32();
    const Bytes name = in.bytes(in.u8());
    header.name.assign(name.begin(), name.end());
    return header;
}

void WriteHeader(InputWriter& out, const SynthesizedHeader& header) {
    out.u8(header.archiveFlag);
    out.u8(header.sizeFromData ? 1 : 0);
    out.i32(header.sizeValue);
    out.bytes(Bytes(header.timestamp.begin(), header.timestamp.end()));
    out.i32(header.attributes);
    out.u8(static_cast<std::uint8_t>(header.name.size()));
    out.bytes(Bytes(header.name.begin(), header.name.end()));
}

Bytes Filler(std::uint8_t quarters, std::int32_t number) {
    return test::PatternBytes(quarters * kFillerQuarter, static_cast<std::uint32_t>(number) + 7);
}

}  // namespace

JoinCase DecodeJoinCase(const std::uint8_t* data, std::size_t size) {
    InputReader in(data, size);
    JoinCase join;
    const std::uint8_t options = in.u8();
    join.existing = static_cast<Existing>(options & kExistingBits);
    join.archiverReady = (options & kReadyBit) != 0;
    join.archiverBusy = (options & kBusyBit) != 0;
    join.unpackDeclined = (options & kDeclinedBit) != 0;
    join.selection = static_cast<Selection>((options >> kSelectionShift) & 3);
    join.quotedDestination = (options & kQuotedBit) != 0;
    while (!in.atEnd() && join.pieces.size() < kMaxPieces) {
        PiecePlan piece;
        const std::uint8_t control = in.u8();
        piece.withHeader = (control & kHeaderBit) != 0;
        piece.gapBefore = (control & kGapBit) != 0;
        piece.folder = (control & kFolderBit) != 0;
        piece.fillerQuarters = static_cast<std::uint8_t>(control >> kFillerShift);
        if (join.pieces.empty() && piece.withHeader) {
            piece.header = ReadHeader(in);
        }
        piece.data = in.bytes(in.u16());
        join.pieces.push_back(std::move(piece));
    }
    return join;
}

Bytes EncodeJoinCase(const JoinCase& join) {
    InputWriter out;
    out.u8(static_cast<std::uint8_t>(
        static_cast<std::uint8_t>(join.existing) | (join.archiverReady ? kReadyBit : 0) |
        (join.archiverBusy ? kBusyBit : 0) | (join.unpackDeclined ? kDeclinedBit : 0) |
        (static_cast<std::uint8_t>(join.selection) << kSelectionShift) |
        (join.quotedDestination ? kQuotedBit : 0)));
    for (std::size_t i = 0; i < join.pieces.size(); ++i) {
        const PiecePlan& piece = join.pieces[i];
        out.u8(static_cast<std::uint8_t>(
            (piece.withHeader ? kHeaderBit : 0) | (piece.gapBefore ? kGapBit : 0) |
            (piece.folder ? kFolderBit : 0) | (piece.fillerQuarters << kFillerShift)));
        if (i == 0 && piece.withHeader) {
            WriteHeader(out, piece.header);
        }
        out.u16(static_cast<std::uint16_t>(piece.data.size()));
        out.bytes(piece.data);
    }
    return out.result();
}

std::vector<BuiltPiece> BuildPieces(const JoinCase& join) {
    std::vector<BuiltPiece> built;
    std::int64_t dataBytes = 0;
    std::int32_t number = 0;
    for (const PiecePlan& plan : join.pieces) {
        number += plan.gapBefore ? 1 : 0;
        BuiltPiece piece;
        piece.number = number++;
        piece.folder = plan.folder;
        if (plan.withHeader && piece.number != 0) {
            const auto prefix = EncodePieceNumber(piece.number);
            piece.bytes.assign(prefix.begin(), prefix.end());
            piece.headerBytes = prefix.size();
        }
        piece.bytes.insert(piece.bytes.end(), plan.data.begin(), plan.data.end());
        const Bytes filler = Filler(plan.fillerQuarters, piece.number);
        piece.bytes.insert(piece.bytes.end(), filler.begin(), filler.end());
        // A raw later piece holds its number in its first four bytes.
        const std::size_t numberBytes = piece.number != 0 && piece.headerBytes == 0 ? 4 : 0;
        dataBytes += static_cast<std::int64_t>(
            piece.bytes.size() - std::min(piece.bytes.size(), numberBytes + piece.headerBytes));
        built.push_back(std::move(piece));
    }
    if (!built.empty() && built[0].number == 0 && join.pieces[0].withHeader) {
        const SynthesizedHeader& plan = join.pieces[0].header;
        PieceHeader header;
        header.RecordedName = plan.name;
        header.OriginalSize = plan.sizeFromData
                                  ? static_cast<std::int32_t>(std::clamp<std::int64_t>(
                                        dataBytes + plan.sizeValue, INT32_MIN, INT32_MAX))
                                  : plan.sizeValue;
        header.Timestamp = plan.timestamp;
        header.Attributes = plan.attributes;
        header.ArchiveFlag = plan.archiveFlag;
        const Bytes bytes = EncodeFirstHeader(header);
        built[0].bytes.insert(built[0].bytes.begin(), bytes.begin(), bytes.end());
        built[0].headerBytes = bytes.size();
    }
    return built;
}

PackCase DecodePackCase(const std::uint8_t* data, std::size_t size) {
    InputReader in(data, size);
    PackCase pack;
    const std::uint8_t options = in.u8();
    const std::size_t count = 1 + (options & 3);
    pack.byMask = (options & 0x04) != 0;
    pack.addAgain = (options & 0x08) != 0;
    pack.firstName = static_cast<std::uint8_t>(options >> 4);
    for (std::size_t i = 0; i + 1 < count; ++i) {
        pack.contents.push_back(in.bytes(in.u16()));
    }
    pack.contents.push_back(in.rest());
    return pack;
}

Bytes EncodePackCase(const PackCase& pack) {
    InputWriter out;
    const std::size_t count = std::clamp<std::size_t>(pack.contents.size(), 1, kMaxPackedFiles);
    out.u8(static_cast<std::uint8_t>((count - 1) | (pack.byMask ? 0x04 : 0) |
                                     (pack.addAgain ? 0x08 : 0) | (pack.firstName << 4)));
    for (std::size_t i = 0; i < count; ++i) {
        const Bytes contents = i < pack.contents.size() ? pack.contents[i] : Bytes{};
        if (i + 1 < count) {
            out.u16(static_cast<std::uint16_t>(contents.size()));
        }
        out.bytes(contents);
    }
    return out.result();
}

std::string PackedName(const PackCase& pack, std::size_t index) {
    static const std::string kNames[] = {
        "DATA.BIN", "報告書.TXT", "read me.txt", "NOEXT",
        ".profile", "A.B.C",      "UPPER.lower", std::string(200, 'n') + ".dat",
    };
    constexpr std::size_t kCount = sizeof kNames / sizeof kNames[0];
    return kNames[(pack.firstName + index) % kCount];
}

}  // namespace zolvane::fuzz
