// Small path and text routines both engines build piece names with.
#pragma once

#include <cstdint>
#include <string>

namespace zolvane {

// A stem of at most 251 bytes leaves room for ".", three digits, within 255 bytes.
inline constexpr std::size_t kMaxStemLength = 251;

// Splits at the last separator: folder (with that separator) and name. Always 0.
int SplitPath(const std::string& path, std::string& folder, std::string& name);

enum class ExtensionError { None, NoName, StemTooLong };

// The folder, the name up to its FIRST dot, ".", and the new extension.
// 0 on success; 1 when the name begins with "." or its stem is longer than 251 bytes,
// leaving result as it was. `why` says which, when given.
int ReplaceExtension(const std::string& path, const std::string& extension, std::string& result,
                     ExtensionError* why = nullptr);

// 1 when the path names a file that can be opened for reading, else 0 (folders too).
int FileIsPresent(const std::string& path);

// The number in decimal, zero-padded to width (after a "-" for negatives). -1 and an
// empty text when it needs more than width characters.
int PadNumber(std::int32_t number, std::string& text, int width);

// Whether `path` names a piece of the set that `memberPath` belongs to, present or not: the
// same folder, the set's stem, "." and three digits. Letters compare without case, as a FAT
// disk compares them.
bool IsPieceOfSet(const std::string& memberPath, const std::string& path);

// The path of piece `number` of the set that `memberPath` belongs to, as a join finds it:
// the extension replaced by the three-digit number, or memberPath itself when its name
// cannot take an extension.
std::string PiecePathOf(const std::string& memberPath, std::int32_t number);

}  // namespace zolvane
