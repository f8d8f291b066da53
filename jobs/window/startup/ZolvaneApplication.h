// The window program's application object: its title, look and language, and the last net
// for errors that escape an event handler.
#pragma once

#include <QApplication>
#include <QTranslator>

namespace zolvane::gui {

class ZolvaneApplication : public QApplication {
public:
    // `styleGiven`: the user chose a style with -style; otherwise the classic one is used.
    ZolvaneApplication(int& argc, char** argv, bool styleGiven);

    // An error that escapes a handler is shown in the generic error box, and the event
    // loop goes on.
    bool notify(QObject* receiver, QEvent* event) override;

private:
    QTranslator standardButtons_;
};

// Whether the command line names a style (-style NAME or -style=NAME).
bool AsksForStyle(int argc, char** argv);

}  // namespace zolvane::gui
