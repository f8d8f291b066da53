// The compression step: the chosen files of the source folder packed into one new LZH
// archive, named in the save dialog.
#pragma once

#include <QString>

class TForm1;

namespace zolvane::gui {

// The archive's full path, or empty when none was made: the dialog was cancelled, the library
// was busy, which is said, or the archive could not be made, which is left to the caller to
// say with `problem` (the file and the reason, or the library's report).
QString CompressFiles(TForm1& window, QString& problem);

}  // namespace zolvane::gui
