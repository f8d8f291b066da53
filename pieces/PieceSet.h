// A look at a whole set of pieces before anything is joined: which pieces are there,
// whether their numbers and sizes fit the header, and whether a join would complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pieces/PieceHeader.h"

namespace zolvane {

struct PieceReport {
    enum class State {
        Used,         // a join reads it and it fits
        Misnumbered,  // the number inside differs from the name (or cannot be read)
        Overflows,    // its data runs past the recorded size: a join stops here
        Surplus,      // after the point where a join ends; a join never opens it
    };
    std::int32_t number = 0;  // by its name
    std::string path;
    std::int64_t fileBytes = 0;
    bool numberRead = false;
    int readError = 0;  // errno when the piece could not be opened or read, else 0
    std::int32_t numberInside = 0;
    std::int64_t dataBytes = 0;  // file bytes after the header
    State state = State::Used;
};

struct PieceSetSurvey {
    std::string firstPiecePath;
    bool firstPieceFound = false;
    HeaderStatus headerStatus = HeaderStatus::BadMagic;  // ReadFailed: see piece 000's readError
    PieceHeader header;
    std::vector<PieceReport> pieces;    // the pieces present, by number
    std::vector<std::int32_t> missing;  // numbers a join would ask for that are absent
    bool complete = false;              // a join of these pieces would rebuild the file
    // When every piece is there in order but the data ends short of the recorded size: a
    // piece, not the last, smaller than the others, which are all of one size but the
    // last. Such a piece was probably cut short, and the piece a join would ask for next
    // probably never existed. -1 when there is none.
    std::int32_t probablyCutShort = -1;
};

// Surveys the set that selectedPath belongs to, finding piece 000 as a join does.
PieceSetSurvey SurveyPieceSet(const std::string& selectedPath);

// How many pieces of memberPath's set follow piece lastNumber without a gap: after a split
// that wrote up to lastNumber, the leftovers of an older, longer set.
std::int32_t CountPiecesAfter(const std::string& memberPath, std::int32_t lastNumber);

}  // namespace zolvane
