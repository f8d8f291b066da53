// The compression step: the chosen files of the source folder packed into one new LZH
// archive, named in the save dialog.
#pragma once

#include <QString>

class TForm1;

namespace zolvane::gui {

// The archive's full path, or empty when none was made (the dialog was cancelled, the
// library was busy, which is said, or a command failed, which is left to the caller to say).
QString CompressFiles(TForm1& window);

}  // namespace zolvane::gui
