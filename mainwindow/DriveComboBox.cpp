// The drive list: the machine's drive roots, read again whenever the list opens.
#include "mainwindow/DriveComboBox.h"

namespace zolvane::gui {

DriveComboBox::DriveComboBox(platform::DriveQueries& drives, QWidget* parent)
    : QComboBox(parent), queries_(drives) {
    refreshDrives();
    // QComboBox moves its index before it emits activated, so drive_ still holds the drive
    // shown before the pick while userPicked runs.
    connect(this, &QComboBox::activated, this, [this](int index) {
        emit userPicked();
        const QString picked = itemText(index);
        if (index >= 0 && picked != drive_) {
            drive_ = picked;
            emit driveChanged();
        }
    });
}

QString DriveComboBox::drive() const {
    return drive_;
}

bool DriveComboBox::setDrive(const QString& root) {
    if (findText(root) < 0) {
        refreshDrives();
        if (findText(root) < 0) {
            return false;
        }
    }
    setCurrentIndex(findText(root));
    if (root == drive_) {
        return true;
    }
    drive_ = root;
    emit driveChanged();
    return true;
}

QStringList DriveComboBox::drives() const {
    QStringList roots;
    for (int i = 0; i < count(); ++i) {
        roots.append(itemText(i));
    }
    return roots;
}

void DriveComboBox::refreshDrives() {
    QStringList roots;
    for (const std::string& root : queries_.listDrives()) {
        roots.append(QString::fromStdString(root));
    }
    // A medium taken out stays shown until the user or the program moves on.
    if (!drive_.isEmpty() && !roots.contains(drive_)) {
        roots.append(drive_);
    }
    clear();
    addItems(roots);
    setCurrentIndex(findText(drive_));
}

void DriveComboBox::showPopup() {
    refreshDrives();
    QComboBox::showPopup();
}

}  // namespace zolvane::gui
