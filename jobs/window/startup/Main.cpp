// zolvane: the window program. It takes no options of its own; Qt's (-style and the like)
// are honoured.
#include <exception>

#include "jobs/window/startup/StopSignals.h"
#include "jobs/window/startup/ZolvaneApplication.h"
#include "window/MessageBoxes.h"
#include "mainwindow/TForm1.h"

int main(int argc, char** argv) {
    const bool styleGiven = zolvane::gui::AsksForStyle(argc, argv);
    zolvane::gui::ZolvaneApplication application(argc, argv, styleGiven);
    try {
        TForm1 window;
        zolvane::gui::WatchStopSignals(window);
        window.show();
        application.exec();
    } catch (const std::exception& error) {
        zolvane::gui::ShowErrorBox(QString::fromUtf8(error.what()));
    }
    return 0;
}
