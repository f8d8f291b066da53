// Fuzz target: the archiver library's unpack command on any bytes as an archive, or on
// archives built from fuzzed members (see UnpackCase.h). A check (c1) creates nothing at
// all; an unpack creates nothing outside the destination and leaves the archive as it was,
// and what it creates inside is only files and folders (links are never unpacked).
#include <algorithm>
#include <filesystem>
#include <vector>

#include "archiver/Unlha32.h"
#include "tests/fuzz/UnpackCase.h"

namespace zolvane::fuzz {
namespace {

namespace fs = std::filesystem;

// Runs one command; whatever the buffer's size, the report must come back terminated.
void Run(const std::string& command, std::size_t reportSize) {
    std::vector<char> report(reportSize, '\x7f');
    Unlha(nullptr, command.c_str(), report.data(), report.size());
    if (std::find(report.begin(), report.end(), '\0') == report.end()) {
        Fail("the report of " + command + " is not terminated");
    }
}

void Check(const Bytes& bytes) {
    test::TempDir scratch;
    const fs::path archive = scratch.path() / "INPUT.LZH";
    // Deep enough that a member climbing out of the destination lands in the scratch folder.
    const fs::path destination = scratch.path() / "a" / "b" / "c" / "dest";
    test::WriteBytes(archive.string(), bytes);
    fs::create_directories(destination.parent_path());
    const Tree before = ReadTree(scratch.path());
    const std::string items = "\"" + archive.string() + "\" \"" + destination.string() + "/\"*.*";

    Run("e -a1x1m0c1 " + items, 64 * 1024);
    if (ReadTree(scratch.path()) != before) {
        Fail("checking an archive created or changed something");
    }
    // Report buffers of every size, so that cutting a report short is tried too.
    Run("e -a1x1m0 " + items, 1 + bytes.size() % 1024);
    if (ReadTree(scratch.path(), destination) != before) {
        Fail("unpacking changed something outside the destination");
    }
    for (const auto& [path, entry] : ReadTree(destination)) {
        if (entry.kind != TreeEntry::Kind::File && entry.kind != TreeEntry::Kind::Folder) {
            Fail("unpacking made something that is neither file nor folder: " + path);
        }
    }
}

}  // namespace
}  // namespace zolvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zolvane::fuzz;
    Check(ArchiveOf(DecodeUnpackCase(data, size)));
    return 0;
}
