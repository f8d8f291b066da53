// The console a terminal front end runs in.
#pragma once

namespace zolvane::platform {

enum class StandardStream { Input, Output, Error };

bool IsTerminal(StandardStream stream);

// From now on the console's interrupt key (Ctrl-C), a request to terminate and the
// terminal hanging up only raise a flag, once: a second of any of them ends the program
// the usual way. A console read in progress returns at the first. Any of them that was
// set to be ignored when the program started stays ignored.
void WatchInterrupt();
bool Interrupted();
// Puts the signals back as they were and forgets one that came.
void StopWatchingInterrupt();

// For a program that waits in an event loop rather than at the console: a descriptor that
// becomes readable when the first of those signals has come. -1 when there is none (before
// WatchInterrupt, or when it could not be made).
int InterruptNotice();

}  // namespace zolvane::platform
