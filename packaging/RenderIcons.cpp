// Renders the program's icon at the sizes a desktop's icon theme looks for, as
// OUTPUT/NxN/apps/zolvane.png. Usage: zolvane-icons OUTPUT_FOLDER
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

#include "window/AppIcon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zolvane-icons OUTPUT_FOLDER\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    const QString output = QString::fromLocal8Bit(argv[1]);
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(output).arg(size);
        if (!QDir().mkpath(folder) ||
            !zolvane::gui::DrawAppIcon(size).save(folder + QStringLiteral("/zolvane.png"))) {
            std::fprintf(stderr, "zolvane-icons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
