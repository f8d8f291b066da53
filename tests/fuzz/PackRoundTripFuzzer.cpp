// Fuzz target: files packed by the archiver library and unpacked again come back with the
// same names and bytes (see FuzzCases.h for how the input becomes files).
#include <unistd.h>

#include <filesystem>

#include "archiver/Unlha32.h"
#include "tests/fuzz/FuzzCases.h"

namespace zolvane::fuzz {
namespace {

namespace fs = std::filesystem;

void Run(const std::string& command) {
    char report[1024];
    if (Unlha(nullptr, command.c_str(), report, sizeof report) != 0) {
        Fail("command " + command + " failed: " + report);
    }
}

// Adds take names relative to the current folder; this puts it back whatever happens.
class InFolder {
public:
    explicit InFolder(const fs::path& folder) : previous_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~InFolder() {
        std::error_code ignored;
        fs::current_path(previous_, ignored);
    }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    fs::path previous_;
};

void Add(const fs::path& archive, const fs::path& source, const std::string& name) {
    InFolder in(source);
    Run("a -a1 \"" + archive.string() + "\" \"" + name + "\"");
}

void Check(const PackCase& pack) {
    test::TempDir scratch;
    const fs::path source = scratch.path() / "source";
    const fs::path destination = scratch.path() / "dest";
    const fs::path archive = scratch.path() / "PACKED.LZH";
    fs::create_directories(source);

    Tree files;
    for (std::size_t i = 0; i < pack.contents.size(); ++i) {
        const std::string name = PackedName(pack, i);
        test::WriteBytes((source / name).string(), pack.contents[i]);
        files[name] = FileEntry(pack.contents[i]);
        if (!pack.byMask) {
            Add(archive, source, name);
        }
    }
    if (pack.byMask) {
        Add(archive, source, "*.*");
    }
    if (pack.addAgain) {
        // The member is replaced, not added twice.
        const std::string name = PackedName(pack, 0);
        Bytes changed(pack.contents[0].rbegin(), pack.contents[0].rend());
        changed.push_back('!');
        test::WriteBytes((source / name).string(), changed);
        files[name] = FileEntry(changed);
        Add(archive, source, name);
    }
    Run("e -a1x1m0 \"" + archive.string() + "\" \"" + destination.string() + "/\"*.*");
    if (ReadTree(destination) != files) {
        Fail("the unpacked files differ from the packed ones");
    }
}

}  // namespace
}  // namespace zolvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zolvane::fuzz::Check(zolvane::fuzz::DecodePackCase(data, size));
    return 0;
}
