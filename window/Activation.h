// Which window is "the active one" while a job runs. A cancel, an overwrite answer and the
// end of a job all hand the activation back to a window, and the waiting code looks for
// that. Window managers grant or refuse activation as they please, so the program goes by
// its own record: a window is active when the program has enabled and activated it since it
// last disabled it. The activation is still asked of the window system, for the user's eyes.
#pragma once

class QWidget;

namespace zolvane::gui {

void DisableWindow(QWidget* window);
// Enables the window and activates it.
void ReleaseWindow(QWidget* window);
bool IsActiveWindow(const QWidget* window);

// Handles events, sleeping until each arrives, until the window is active; at least one
// round of the events already pending is handled first.
void WaitUntilActive(const QWidget* window);

}  // namespace zolvane::gui
