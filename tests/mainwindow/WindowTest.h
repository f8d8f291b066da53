// The shared set-up of the window tests: settings in a scratch folder, a floppy drive and a
// work folder as drives of a fake, message boxes and save dialogs answered by the recorder.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QString>
#include <filesystem>
#include <map>
#include <memory>
#include <ostream>

#include "window/MessageBoxes.h"
#include "mainwindow/TForm1.h"
#include "tests/support/FakeDrives.h"
#include "tests/support/TempDir.h"

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace zolvane {

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        previousFolder_ = QDir::currentPath();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Q(dir.file("config")));
        fs::create_directories(dir.file("floppy"));
        fs::create_directories(dir.file("work/sub"));
        for (const char* name : {"REPORT.DOC", "REPORT.000", "REPORT.001"}) {
            test::WriteBytes(dir.file(std::string("work/") + name), {1});
        }
        floppy = Q(dir.file("floppy"));
        work = Q(dir.file("work"));
        drives.roots = {dir.file("floppy"), "/"};
        QDir::setCurrent(work);
    }

    void TearDown() override { QDir::setCurrent(previousFolder_); }

    std::unique_ptr<TForm1> open(bool withArchiver = true) {
        return std::make_unique<TForm1>(
            drives, std::vector<std::string>{withArchiver ? platform::ExecutableFolder()
                                                          : dir.file("no-library")});
    }

    static QSettings store() {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ZolvaneWin"));
    }

    static void save(const std::map<QString, QVariant>& values) {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                           QStringLiteral("ZolvaneWin"));
        for (const auto& [name, value] : values) {
            settings.setValue(name, value);
        }
    }

    test::TempDir dir;
    test::FakeDrives drives;
    gui::MessageBoxRecorder boxes;
    QString floppy;
    QString work;

private:
    QString previousFolder_;
};

}  // namespace zolvane
