// File masks as the file list takes them: wildcard patterns separated by ";".
#pragma once

#include <QString>

namespace zolvane::gui {

// Whether the name matches one of the mask's patterns. Blanks around each pattern are
// ignored; "*" matches any run of characters, "?" one character, letters compare without
// case, and a pattern ending in ".*" also matches names without a dot ("*.*" matches every
// name).
bool MatchesFileMask(const QString& name, const QString& mask);

}  // namespace zolvane::gui
