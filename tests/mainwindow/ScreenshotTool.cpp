// Pictures of the main window for the README and for checking the layout by eye: every page
// in split mode and in join mode, on a real display (Xvfb will do). Settings and files are
// made up in a scratch folder, so the user's own stay untouched.
// Usage: zolvane-screenshots OUTPUT_FOLDER
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

#include "jobs/ZolvaneApplication.h"
#include "mainwindow/TForm1.h"

namespace {

void MakeSampleFolder(const QString& root) {
    QDir(root).mkpath(QStringLiteral("docs/letters"));
    QDir(root).mkpath(QStringLiteral("docs/photos"));
    for (const char* name : {"REPORT.DOC", "REPORT.000", "REPORT.001", "REPORT.002", "memo.txt",
                             "backup.tar.gz", "backup.000", ".hidden"}) {
        QFile file(root + QStringLiteral("/docs/") + QString::fromLatin1(name));
        file.open(QIODevice::WriteOnly);
        file.write("sample");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zolvane-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    // Taken before the program moves the current folder to its sample files.
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    zolvane::gui::ZolvaneApplication application(argc, argv, false);
    QTemporaryDir scratch;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.path());
    MakeSampleFolder(scratch.path());
    QDir::setCurrent(scratch.path() + QStringLiteral("/docs"));
    QDir().mkpath(output);

    TForm1 window;
    window.move(40, 40);
    window.show();
    const char* const pages[] = {"source", "destination", "settings", "version"};
    for (const bool join : {false, true}) {
        (join ? window.JoinButton : window.DivideButton)->setChecked(true);
        for (int page = 0; page < 4; ++page) {
            window.PageControl1->setCurrentIndex(page);
            QCoreApplication::processEvents();
            const QString file = QStringLiteral("%1/%2-%3.png")
                                     .arg(output, join ? QStringLiteral("join") : QStringLiteral("split"),
                                          QString::fromLatin1(pages[page]));
            const QPixmap picture = window.screen()->grabWindow(window.winId());
            if (!picture.save(file)) {
                std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
                return 1;
            }
            std::printf("%s\n", qPrintable(file));
        }
    }
    return 0;
}
