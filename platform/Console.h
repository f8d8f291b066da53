// The console a terminal front end runs in.
#pragma once

namespace zolvane::platform {

enum class StandardStream { Input, Output, Error };

bool IsTerminal(StandardStream stream);

// From now on the console's interrupt key (Ctrl-C) only raises a flag, once: a second
// press ends the program the usual way. A console read in progress returns at the key.
void WatchInterrupt();
bool Interrupted();
void StopWatchingInterrupt();

}  // namespace zolvane::platform
