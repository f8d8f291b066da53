// A drive list: the machine's drives, removable drives first. Each entry keeps the drive's name
// (a removable drive's device, a fixed volume's mount point) and shows what the drive holds now:
// where its medium is mounted, else the device and its model. The list is read again whenever
// it is opened, so drives and media that came or went show.
#pragma once

#include <QComboBox>
#include <QStringList>

#include "platform/Drives.h"

namespace zolvane::gui {

class DriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveComboBox(platform::DriveQueries& drives, QWidget* parent = nullptr);

    // The name of the drive shown; empty when the machine lists no drive.
    QString drive() const;
    // Shows the drive of that name, reading the machine's drives again when it is not
    // listed; emits driveChanged when the drive shown changes. False when there is no such
    // drive (nothing changes then).
    bool setDrive(const QString& name);
    // Shows the drive of that name even when the machine does not list it now (a saved drive
    // whose device is unplugged): it gets an entry of its own.
    void keepDrive(const QString& name);
    // As keepDrive, but without driveChanged: the list follows its folder list to the drive
    // that holds the folder opened there, which moves nothing and checks no drive.
    void followDrive(const QString& name);
    // The names listed, in order.
    QStringList drives() const;
    // Reads the machine's drives and what each holds again. The drive shown stays shown (and
    // listed) even when the machine no longer lists it, until another drive is set or picked.
    void refreshDrives();
    // Asks again what each listed drive holds (a medium mounted or gone since the list was
    // read), leaving the entries and the drive shown as they are.
    void refreshTexts();
    // Opens the list, read again first.
    void showPopup() override;

signals:
    // The user picked an entry; drive() still gives the drive shown before the pick, and
    // driveChanged follows when the pick differs from it.
    void userPicked();
    // The drive shown changed, by the user or by the program.
    void driveChanged();

protected:
    // A long mount folder or device name keeps both ends readable in a narrow box.
    void paintEvent(QPaintEvent* event) override;

private:
    void showDrive(const QString& name, bool announce = true);
    void addDrive(const QString& name);

    platform::DriveQueries& queries_;
    QString drive_;
};

}  // namespace zolvane::gui
