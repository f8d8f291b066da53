// Fuzz target: the archiver library's unpack command on any bytes as an archive, or on
// archives built from fuzzed members (see UnpackCase.h). Nothing may appear outside the
// destination, the archive stays as it was, and what appears inside is only files and
// folders (links are never unpacked).
#include <algorithm>
#include <filesystem>

#include "archiver/Unlha32.h"
#include "tests/fuzz/UnpackCase.h"

namespace zolvane::fuzz {
namespace {

namespace fs = std::filesystem;

void Check(const Bytes& bytes) {
    test::TempDir scratch;
    const fs::path archive = scratch.path() / "INPUT.LZH";
    // Deep enough that a member climbing out of the destination lands in the scratch folder.
    const fs::path destination = scratch.path() / "a" / "b" / "c" / "dest";
    test::WriteBytes(archive.string(), bytes);
    fs::create_directories(destination);
    const Tree before = ReadTree(scratch.path(), destination);

    const std::string command =
        "e -a1x1m0 \"" + archive.string() + "\" \"" + destination.string() + "/\"*.*";
    char report[1024];
    report[sizeof report - 1] = '\x7f';
    Unlha(nullptr, command.c_str(), report, sizeof report);

    if (ReadTree(scratch.path(), destination) != before) {
        Fail("unpacking changed something outside the destination");
    }
    for (const auto& [path, entry] : ReadTree(destination)) {
        if (entry.kind != TreeEntry::Kind::File && entry.kind != TreeEntry::Kind::Folder) {
            Fail("unpacking made something that is neither file nor folder: " + path);
        }
    }
    if (std::find(report, report + sizeof report, '\0') == report + sizeof report) {
        Fail("the report is not terminated");
    }
}

}  // namespace
}  // namespace zolvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zolvane::fuzz;
    Check(ArchiveOf(DecodeUnpackCase(data, size)));
    return 0;
}
