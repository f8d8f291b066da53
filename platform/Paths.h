// Path conventions of the platform the program runs on.
#pragma once

namespace zolvane::platform {

// Separates folders in the paths the program is given and builds.
inline constexpr char kPathSeparator = '/';

}  // namespace zolvane::platform
