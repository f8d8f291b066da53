// A logout or a kill asks the window program to stop: it stops as a user who cancels and
// closes the window would, so a join leaves its destination as it was and a split keeps the
// pieces it finished.
#pragma once

class TForm1;

namespace zolvane::gui {

// From now on SIGTERM, SIGHUP and SIGINT cancel the job in progress, answer every question
// with Cancel and close the main window. A second signal ends the program at once.
void WatchStopSignals(TForm1& window);

}  // namespace zolvane::gui
