// A drive list: the machine's drives (mount points, removable media first), each shown by its
// root path. The list is read again whenever it is opened, so media that came or went show.
#pragma once

#include <QComboBox>
#include <QStringList>

#include "platform/Drives.h"

namespace zolvane::gui {

class DriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveComboBox(platform::DriveQueries& drives, QWidget* parent = nullptr);

    // The root of the drive shown; empty when the machine lists no drive.
    QString drive() const;
    // Shows the drive with that root, reading the machine's drives again when it is not
    // listed; emits driveChanged when the drive shown changes. False when there is no such
    // drive (nothing changes then).
    bool setDrive(const QString& root);
    // The roots listed, in order.
    QStringList drives() const;
    // Reads the machine's drives again. The drive shown stays shown (and listed) even when
    // the machine no longer lists it, until another drive is set or picked.
    void refreshDrives();

signals:
    // The user picked an entry; drive() still gives the drive shown before the pick, and
    // driveChanged follows when the pick differs from it.
    void userPicked();
    // The drive shown changed, by the user or by the program.
    void driveChanged();

protected:
    void showPopup() override;

private:
    platform::DriveQueries& queries_;
    QString drive_;
};

}  // namespace zolvane::gui
