// The inputs of the structured fuzz targets: how a byte string becomes a set of pieces
// with the answers of a join, or a few files to pack. The writers build seeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pieces/PieceHeader.h"
#include "tests/fuzz/FuzzSupport.h"

namespace zolvane::fuzz {

// What stands in the destination before the join, and the answer to the overwrite question.
enum class Existing : std::uint8_t { None, Overwrite, OverwriteAll, Cancel };
// Which file the join is started from.
enum class Selection : std::uint8_t { First, Last, Sibling, Bare };

// A piece 000 header the target writes itself, so that the fuzzer starts past the checks.
struct SynthesizedHeader {
    std::uint8_t archiveFlag = 0;
    bool sizeFromData = true;    // OriginalSize is all pieces' data plus sizeValue
    std::int32_t sizeValue = 0;  // else OriginalSize itself
    TimestampBytes timestamp = {0x2a, 0x6b, 0xc9, 0x2a};
    std::int32_t attributes = 0x20;
    std::string name = "C:\\DATA\\REPORT.DOC";
};

struct PiecePlan {
    bool withHeader = false;          // piece 000: the synthesized header; a later one: its number
    bool gapBefore = false;           // skip a number before this piece
    bool folder = false;              // a folder where the piece file should be
    std::uint8_t fillerQuarters = 0;  // quarter blocks of filler after the data, 0..15
    SynthesizedHeader header;         // read on the first piece only
    Bytes data;
};

struct JoinCase {
    Existing existing = Existing::None;
    bool archiverReady = false;  // when ready, every command fails
    bool archiverBusy = false;
    bool unpackDeclined = false;
    Selection selection = Selection::First;
    bool quotedDestination = false;  // a destination folder with a quote in its name
    std::vector<PiecePlan> pieces;
};

inline constexpr std::size_t kMaxPieces = 12;
inline constexpr std::size_t kFillerQuarter = BlockSize / 4;

JoinCase DecodeJoinCase(const std::uint8_t* data, std::size_t size);
Bytes EncodeJoinCase(const JoinCase& join);

struct BuiltPiece {
    std::int32_t number = 0;
    bool folder = false;
    Bytes bytes;                  // the whole file
    std::size_t headerBytes = 0;  // of them, what the target put in front of the data
};

// The pieces as files: numbers given in order, headers and filler in place.
std::vector<BuiltPiece> BuildPieces(const JoinCase& join);

struct PackCase {
    bool byMask = false;         // one add of "*.*" instead of one add per file
    bool addAgain = false;       // then change the first file and add it once more
    std::uint8_t firstName = 0;  // where in the table of names the files start
    std::vector<Bytes> contents;
};

inline constexpr std::size_t kMaxPackedFiles = 4;

PackCase DecodePackCase(const std::uint8_t* data, std::size_t size);
Bytes EncodePackCase(const PackCase& pack);

// The name of file `index` of a pack case: a table of awkward but legal names.
std::string PackedName(const PackCase& pack, std::size_t index);

}  // namespace zolvane::fuzz
