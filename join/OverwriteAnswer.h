// The answer of the overwrite prompt, shared by both engines.
#pragma once

namespace zolvane {

// The values are the prompt's: any other number counts as Overwrite.
enum class OverwriteAnswer { Overwrite = 0, OverwriteAll = 1, Cancel = 2 };

}  // namespace zolvane
