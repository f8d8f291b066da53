// Fuzz target: the join engine on piece sets built from the input (see FuzzCases.h), in a
// fresh folder, with every question answered Cancel and an archiver that never unpacks.
// Checked: nothing outside the destination changes, the pieces least of all; the join
// succeeds exactly where the set survey says a join would complete, and then rebuilds the
// pieces' data; a failed join leaves no new file, unless it is a complete archive that it
// keeps because it could not unpack it.
#include <cstdio>
#include <filesystem>
#include <optional>

#include "join/JoinFile.h"
#include "pieces/PieceSet.h"
#include "pieces/RecordedName.h"
#include "tests/fuzz/FuzzCases.h"
#include "tests/support/FakeJoinOperations.h"
#include "tests/support/FakeDrives.h"

namespace zolvane::fuzz {
namespace {

namespace fs = std::filesystem;

// The destination lies some levels down, so that a name that climbs out of it lands in
// the scratch folder and shows there.
struct Layout {
    Layout(const fs::path& scratch, bool quoted)
        : root(scratch),
          set(root / "set"),
          destination(root / "a" / "b" / (quoted ? "dest \"q\"" : "dest")) {}

    std::string piece(std::int32_t number) const {
        char name[16];
        std::snprintf(name, sizeof name, "REPORT.%03d", static_cast<int>(number));
        return (set / name).string();
    }

    fs::path root;
    fs::path set;
    fs::path destination;
};

std::string SelectedPath(const Layout& layout, const JoinCase& join,
                         const std::vector<BuiltPiece>& pieces) {
    switch (join.selection) {
    case Selection::First:
        break;
    case Selection::Last:
        return layout.piece(pieces.empty() ? 0 : pieces.back().number);
    case Selection::Sibling:
        return (layout.set / "REPORT.TXT").string();
    case Selection::Bare:
        return (layout.set / "REPORT").string();
    }
    return layout.piece(0);
}

void WritePieces(const Layout& layout, const std::vector<BuiltPiece>& pieces) {
    fs::create_directories(layout.set);
    fs::create_directories(layout.destination);
    for (const BuiltPiece& piece : pieces) {
        if (piece.folder) {
            fs::create_directory(layout.piece(piece.number));
        } else {
            test::WriteBytes(layout.piece(piece.number), piece.bytes);
        }
    }
}

// The pieces' data in order, as a join should rebuild it; empty when the set ends first.
std::optional<Bytes> RebuiltData(const std::vector<BuiltPiece>& pieces,
                                 const PieceSetSurvey& survey) {
    const auto wanted = static_cast<std::size_t>(survey.header.OriginalSize);
    Bytes data;
    for (std::size_t i = 0; i < pieces.size() && data.size() < wanted; ++i) {
        const BuiltPiece& piece = pieces[i];
        if (piece.number != static_cast<std::int32_t>(i) || piece.folder) {
            break;
        }
        const auto header =
            static_cast<std::size_t>(i == 0 ? survey.header.firstHeaderBytes() : kLaterHeaderBytes);
        if (piece.bytes.size() > header) {
            data.insert(data.end(), piece.bytes.begin() + static_cast<long>(header),
                        piece.bytes.end());
        }
    }
    if (data.size() < wanted) {
        return std::nullopt;
    }
    data.resize(wanted);
    return data;
}

struct Outcome {
    int result = -1;
    int releases = 0;
    std::string told;  // the join's messages, for the report of a failed check
    bool askedOverwrite = false;
    Tree outside;
    Tree destination;
};

Outcome RunJoin(const Layout& layout, const JoinCase& join, const std::string& selected) {
    test::FakeDrives drives;
    test::FakeJoinOperations ops;
    switch (join.existing) {
    case Existing::None:
    case Existing::Overwrite:
        ops.overwriteAnswers = {OverwriteAnswer::Overwrite};
        break;
    case Existing::OverwriteAll:
        ops.overwriteAnswers = {OverwriteAnswer::OverwriteAll};
        break;
    case Existing::Cancel:
        break;
    }
    ops.ready = join.archiverReady;
    ops.busy = join.archiverBusy;
    ops.unpackAllowed = !join.unpackDeclined;
    ops.archiverResult = 1;
    Outcome outcome;
    outcome.result = JoinFile(selected, layout.destination.string() + "/", ops, drives);
    outcome.releases = ops.releases;
    outcome.askedOverwrite = !ops.overwriteTargets.empty();
    for (const test::ShownMessage& shown : ops.messages) {
        outcome.told += "\n  " + shown.text + " [" + shown.detail + "]";
    }
    outcome.outside = ReadTree(layout.root, layout.destination);
    outcome.destination = ReadTree(layout.destination);
    return outcome;
}

[[noreturn]] void FailJoin(const std::string& what, const Outcome& outcome) {
    Fail(what + "\njoin returned " + std::to_string(outcome.result) + ", told:" + outcome.told);
}

void Check(const JoinCase& join, const std::vector<BuiltPiece>& pieces, const Layout& layout) {
    const std::string selected = SelectedPath(layout, join, pieces);
    const PieceSetSurvey survey = SurveyPieceSet(selected);
    const bool headerRead = survey.firstPieceFound && survey.headerStatus == HeaderStatus::Ok;
    const std::optional<std::string> name =
        headerRead ? OutputNameOf(survey.header.RecordedName) : std::nullopt;
    // A name the file system takes; a longer one fails to be created, which is no fault.
    const bool creatable = name && name->size() <= 255;
    const bool archive = survey.header.ArchiveFlag == 1;
    const bool present = creatable && join.existing != Existing::None;
    if (present) {
        test::WriteBytes((layout.destination / *name).string(), {'O', 'L', 'D'});
    }
    const Tree outsideBefore = ReadTree(layout.root, layout.destination);
    const Tree destinationBefore = ReadTree(layout.destination);

    const Outcome outcome = RunJoin(layout, join, selected);

    if (outcome.outside != outsideBefore) {
        FailJoin("the join changed something outside its destination", outcome);
    }
    if (outcome.releases != 1) {
        FailJoin("the join handed control back " + std::to_string(outcome.releases) + " times",
                 outcome);
    }
    // A question about a file that is not there.
    if (outcome.askedOverwrite && !present) {
        FailJoin("the join asked to overwrite a file that is not there", outcome);
    }
    // The unpack command cannot quote a quote, so an archive whose name or destination has
    // one is refused.
    const bool quoted =
        archive && ((name && name->find('"') != std::string::npos) || join.quotedDestination);
    const bool complete = survey.complete && creatable && !quoted;
    const bool reachesEnd = complete && !(present && join.existing == Existing::Cancel);
    if (outcome.result == 0 && !(reachesEnd && !archive)) {
        FailJoin("the join succeeded where the survey sees no complete plain set", outcome);
    }
    if (outcome.result != 0 && reachesEnd && !archive) {
        FailJoin("the join failed on a set the survey calls complete", outcome);
    }

    // What the destination may hold afterwards: an archive that was not unpacked (and the
    // fake archiver never unpacks) stays, as the plain file does.
    Tree expected = destinationBefore;
    if (reachesEnd) {
        const std::optional<Bytes> data = RebuiltData(pieces, survey);
        if (!data) {
            FailJoin("the survey calls a set complete that holds too little data", outcome);
        }
        expected[*name] = FileEntry(*data);
    }
    if (outcome.destination != expected) {
        FailJoin(outcome.result == 0 ? "the rebuilt file is not the pieces' data"
                                     : "a failed join left the destination changed",
                 outcome);
    }
}

}  // namespace
}  // namespace zolvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zolvane::fuzz;
    const JoinCase join = DecodeJoinCase(data, size);
    const std::vector<BuiltPiece> pieces = BuildPieces(join);
    zolvane::test::TempDir scratch;
    const Layout layout(scratch.path(), join.quotedDestination);
    WritePieces(layout, pieces);
    Check(join, pieces, layout);
    return 0;
}
