// Processes, as far as the program needs them: to tell its own temporary files from those a
// run that was killed left behind.
#pragma once

namespace zolvane::platform {

long CurrentProcessId();

// Whether a process of that number is running now.
bool ProcessRuns(long id);

}  // namespace zolvane::platform
