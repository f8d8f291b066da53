// Opening a file in the program the desktop keeps for its kind: the help page in the browser.
#pragma once

#include <string>

namespace zolvane::platform {

// Hands the file to the desktop's opener and waits for its answer. Empty when the program for
// the file was started, else the reason ("xdg-open: exit status 3").
std::string OpenDocument(const std::string& path);

// The opener OpenDocument runs with the path as its one argument, looked for in the search
// path when the name has no "/". Tests point it at a script. Returns the opener before.
std::string SetDocumentOpener(const std::string& program);

}  // namespace zolvane::platform
