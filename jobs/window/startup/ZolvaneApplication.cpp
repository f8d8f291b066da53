#include "jobs/window/startup/ZolvaneApplication.h"

#include <QFont>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <cstring>
#include <exception>

#include "window/AppIcon.h"
#include "window/MessageBoxes.h"

namespace zolvane::gui {

ZolvaneApplication::ZolvaneApplication(int& argc, char** argv, bool styleGiven)
    : QApplication(argc, argv) {
    // No display name: the window system would append it to every caption but the main
    // window's, and a small box would show a cut "メッセ…in95" for "メッセージ".
    setApplicationName(QStringLiteral("zolvane"));
    setWindowIcon(AppIcon());
    // The fixed pixel layout was made for the classic look.
    if (!styleGiven) {
        if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) {
            setStyle(classic);
        }
    }
    // A proportional Japanese Gothic at 12 pixels, as the layout expects.
    QFont gothic;
    gothic.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    gothic.setPixelSize(12);
    setFont(gothic);
    // Standard buttons in Japanese ("再試行", "キャンセル"), whatever the system's language.
    if (standardButtons_.load(QStringLiteral("qtbase_ja"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(&standardButtons_);
    }
}

bool ZolvaneApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowErrorBox(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowErrorBox(QStringLiteral("予期しないエラーが発生しました"));
    }
    return false;
}

bool AsksForStyle(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-style") == 0 || std::strncmp(argv[i], "-style=", 7) == 0 ||
            std::strcmp(argv[i], "--style") == 0 || std::strncmp(argv[i], "--style=", 8) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace zolvane::gui
