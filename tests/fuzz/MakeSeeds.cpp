// Writes the seed inputs of the fuzz targets into OUTPUT/<target>/: sets and archives made
// by zolvane-cli itself, and a few hand-made cases the fuzzer would be slow to find.
// Usage: make-fuzz-seeds ZOLVANE_CLI OUTPUT
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/fuzz/FuzzCases.h"
#include "tests/fuzz/UnpackCase.h"

namespace zolvane::fuzz {
namespace {

namespace fs = std::filesystem;

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs zolvane-cli in `folder` with no one to answer it; stops the program if it fails.
void RunCli(const std::string& cli, const fs::path& folder, const std::string& arguments) {
    const std::string line = "cd " + Quoted(folder.string()) + " && " + Quoted(cli) + " " +
                             arguments + " </dev/null >/dev/null 2>&1";
    if (std::system(line.c_str()) != 0) {
        std::fprintf(stderr, "make-fuzz-seeds: failed: %s\n", line.c_str());
        std::exit(1);
    }
}

Bytes Text(std::size_t size, std::uint32_t seed) {
    static const char* const kWords[] = {"floppy ", "piece ", "join ",  "split ",  "REPORT ",
                                         "1.44MB ", "の ",    "分割\n", "header ", "archive "};
    Bytes bytes;
    while (bytes.size() < size) {
        seed = seed * 1103515245u + 12345u;
        for (const char* c = kWords[(seed >> 16) % 10]; *c != '\0'; ++c) {
            bytes.push_back(static_cast<std::uint8_t>(*c));
        }
    }
    bytes.resize(size);
    return bytes;
}

// The set's pieces as they lie on disk, for a join case.
std::vector<PiecePlan> RawPieces(const fs::path& folder, const std::string& stem) {
    std::vector<PiecePlan> pieces;
    for (int number = 0; number <= 999; ++number) {
        char name[64];
        std::snprintf(name, sizeof name, "%s.%03d", stem.c_str(), number);
        if (!fs::exists(folder / name)) {
            break;
        }
        PiecePlan piece;
        piece.data = test::ReadBytes((folder / name).string());
        pieces.push_back(std::move(piece));
    }
    if (pieces.empty()) {
        std::fprintf(stderr, "make-fuzz-seeds: no pieces of %s in %s\n", stem.c_str(),
                     folder.c_str());
        std::exit(1);
    }
    return pieces;
}

class SeedWriter {
public:
    explicit SeedWriter(fs::path root) : root_(std::move(root)) {}

    void write(const std::string& target, const std::string& name, const Bytes& bytes) {
        fs::create_directories(root_ / target);
        test::WriteBytes((root_ / target / name).string(), bytes);
    }

private:
    fs::path root_;
};

void JoinSeeds(SeedWriter& seeds, const fs::path& work) {
    JoinCase plain;
    plain.pieces = RawPieces(work / "plain", "SAMPLE");
    seeds.write("join", "cli-set", EncodeJoinCase(plain));
    plain.selection = Selection::Last;
    plain.existing = Existing::OverwriteAll;
    seeds.write("join", "cli-set-from-last-over-old", EncodeJoinCase(plain));
    plain.existing = Existing::Cancel;
    seeds.write("join", "cli-set-keep-old", EncodeJoinCase(plain));

    JoinCase packed;
    packed.pieces = RawPieces(work / "packed", "PACK");
    seeds.write("join", "cli-packed-no-archiver", EncodeJoinCase(packed));
    packed.archiverReady = true;
    seeds.write("join", "cli-packed-unpack-fails", EncodeJoinCase(packed));
    packed.unpackDeclined = true;
    seeds.write("join", "cli-packed-declined", EncodeJoinCase(packed));

    // The recorded size 30000 is reached inside piece 000, which holds 60000: the surplus is
    // accepted because the size falls on a block end.
    JoinCase surplus;
    surplus.pieces.resize(2);
    surplus.pieces[0].withHeader = true;
    surplus.pieces[0].fillerQuarters = 8;
    surplus.pieces[0].header.sizeValue = -30000 - 5000;
    surplus.pieces[1].withHeader = true;
    surplus.pieces[1].data = test::PatternBytes(5000, 3);
    seeds.write("join", "block-end-surplus", EncodeJoinCase(surplus));

    JoinCase empty;
    empty.pieces.resize(1);
    empty.pieces[0].withHeader = true;
    seeds.write("join", "empty-file", EncodeJoinCase(empty));

    // 表 in code page 932 ends in the byte of "\".
    JoinCase japanese;
    japanese.pieces.resize(3);
    japanese.pieces[0].withHeader = true;
    japanese.pieces[0].header.name = "C:\\DATA\\\x95\x5c.TXT";
    for (std::size_t i = 0; i < japanese.pieces.size(); ++i) {
        japanese.pieces[i].withHeader = true;
        japanese.pieces[i].data = Text(300, static_cast<std::uint32_t>(i));
    }
    seeds.write("join", "cp932-name", EncodeJoinCase(japanese));

    // Half-width katakana take one byte in code page 932 and three in UTF-8: a name the
    // header allows, too long for the file system once converted.
    JoinCase longName;
    longName.pieces.resize(1);
    longName.pieces[0].withHeader = true;
    longName.pieces[0].header.name = std::string(86, '\xb1');
    longName.pieces[0].data = Text(10, 9);
    seeds.write("join", "name-too-long-once-converted", EncodeJoinCase(longName));
}

void HeaderSeeds(SeedWriter& seeds, const fs::path& work) {
    const Bytes first = test::ReadBytes((work / "plain" / "SAMPLE.000").string());
    seeds.write("piece_header", "cli-first-piece", Bytes(first.begin(), first.begin() + 300));
    const Bytes later = test::ReadBytes((work / "plain" / "SAMPLE.001").string());
    seeds.write("piece_header", "cli-later-piece", Bytes(later.begin(), later.begin() + 16));
    PieceHeader header;
    header.RecordedName = "C:\\DATA\\\x95\x5c.TXT";
    header.OriginalSize = 1457664;
    header.ArchiveFlag = 1;
    seeds.write("piece_header", "cp932-name", EncodeFirstHeader(header));
}

void ArchiveSeeds(SeedWriter& seeds, const std::string& cli, const fs::path& work) {
    const fs::path files = work / "files";
    fs::create_directories(files / "sub");
    test::WriteBytes((files / "SAMPLE.TXT").string(), Text(2500, 1));
    test::WriteBytes((files / "EMPTY.DAT").string(), {});
    test::WriteBytes((files / "sub" / "INNER.TXT").string(), Text(400, 2));
    RunCli(cli, files, "pack ../text.lzh SAMPLE.TXT EMPTY.DAT");
    RunCli(cli, files, "pack --recursive ../tree.lzh '*.*'");
    for (const char* name : {"text.lzh", "tree.lzh"}) {
        UnpackCase made;
        made.raw = test::ReadBytes((work / name).string());
        seeds.write("unpack", std::string("cli-") + name, EncodeUnpackCase(made));
    }
    // Members no packer of ours writes: names that climb out, a link, a pipe, a folder, a
    // code page 932 name, a damaged one.
    UnpackCase hostile;
    hostile.built = true;
    hostile.members = {{"", "../x", {'1'}},
                       {"a/../..", "y", {'2'}},
                       {"", "/tmp/absolute", {'3'}},
                       {"", "link|/tmp", {}, "-lhd-", 0120777},
                       {"", "pipe", {}, "-lh0-", 0010644},
                       {"sub/deeper", "", {}, "-lhd-", 0040755},
                       {"sub", "\x95\x5c.TXT", Text(100, 6)},
                       {"", "bad.txt", Text(200, 7), "-lh0-", 0100644, true}};
    seeds.write("unpack", "hostile-members", EncodeUnpackCase(hostile));
    // Packed streams of a few bytes, which the library decodes itself.
    UnpackCase tiny;
    tiny.built = true;
    tiny.members = {
        {"", "a.txt", test::OneSymbolBlock(100, 'A'), "-lh5-", 0100644, false, Bytes(100, 'A')},
        {"", "b.txt", test::OneSymbolBlock(50, 'B', 5), "-lh7-", 0100644, false, Bytes(50, 'B')}};
    seeds.write("unpack", "short-packed-streams", EncodeUnpackCase(tiny));

    PackCase one;
    one.contents = {Text(600, 3)};
    seeds.write("pack_roundtrip", "text", EncodePackCase(one));
    // Longer than the packer's window, and long enough that libFuzzer tries long inputs.
    PackCase longer;
    longer.contents = {Text(20000, 8)};
    seeds.write("pack_roundtrip", "longer-than-the-window", EncodePackCase(longer));
    PackCase several;
    several.byMask = true;
    several.addAgain = true;
    several.firstName = 1;
    several.contents = {Text(300, 4), Bytes(2000, 'x'), test::PatternBytes(700, 5)};
    seeds.write("pack_roundtrip", "three-by-mask-then-replaced", EncodePackCase(several));
}

}  // namespace
}  // namespace zolvane::fuzz

int main(int argc, char** argv) {
    using namespace zolvane::fuzz;
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-fuzz-seeds ZOLVANE_CLI OUTPUT\n");
        return 2;
    }
    const std::string cli = std::filesystem::absolute(argv[1]).string();
    zolvane::test::TempDir work;
    zolvane::test::WriteBytes(work.file("SAMPLE.TXT"), Text(2500, 1));
    std::filesystem::create_directories(work.path() / "plain");
    std::filesystem::create_directories(work.path() / "packed");
    RunCli(cli, work.path(), "split SAMPLE.TXT --size 1000 --dest plain");
    RunCli(cli, work.path(), "split --pack PACK.LZH --size 1000 --dest packed SAMPLE.TXT");
    SeedWriter seeds(argv[2]);
    JoinSeeds(seeds, work.path());
    HeaderSeeds(seeds, work.path());
    ArchiveSeeds(seeds, cli, work.path());
    return 0;
}
