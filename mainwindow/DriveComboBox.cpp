// The drive list: the machine's drives by name, each shown as the drive layer describes it,
// read again whenever the list opens.
#include "mainwindow/DriveComboBox.h"

#include <QAbstractItemView>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace zolvane::gui {

DriveComboBox::DriveComboBox(platform::DriveQueries& drives, QWidget* parent)
    : QComboBox(parent), queries_(drives) {
    // The open list widens to its longest entry; one wider than the screen keeps both ends.
    view()->setTextElideMode(Qt::ElideMiddle);
    refreshDrives();
    // QComboBox moves its index before it emits activated, so drive_ still holds the drive
    // shown before the pick while userPicked runs.
    connect(this, &QComboBox::activated, this, [this](int index) {
        emit userPicked();
        const QString picked = itemData(index).toString();
        if (index >= 0 && picked != drive_) {
            drive_ = picked;
            setToolTip(itemText(index));
            emit driveChanged();
        }
    });
}

QString DriveComboBox::drive() const {
    return drive_;
}

bool DriveComboBox::setDrive(const QString& name) {
    if (findData(name) < 0) {
        refreshDrives();
        if (findData(name) < 0) {
            return false;
        }
    }
    showDrive(name);
    return true;
}

void DriveComboBox::keepDrive(const QString& name) {
    if (!setDrive(name)) {
        addDrive(name);
        showDrive(name);
    }
}

QStringList DriveComboBox::drives() const {
    QStringList names;
    for (int i = 0; i < count(); ++i) {
        names.append(itemData(i).toString());
    }
    return names;
}

void DriveComboBox::refreshDrives() {
    QStringList names;
    for (const std::string& name : queries_.listDrives()) {
        names.append(QString::fromStdString(name));
    }
    // A drive taken away stays shown until the user or the program moves on.
    if (!drive_.isEmpty() && !names.contains(drive_)) {
        names.append(drive_);
    }
    clear();
    for (const QString& name : names) {
        addDrive(name);
    }
    setCurrentIndex(findData(drive_));
    setToolTip(currentText());
}

void DriveComboBox::showPopup() {
    refreshDrives();
    QComboBox::showPopup();
}

void DriveComboBox::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    // The label is drawn a pixel in from each side of the field.
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    option.currentText =
        fontMetrics().elidedText(option.currentText, Qt::ElideMiddle, field.width() - 2);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void DriveComboBox::showDrive(const QString& name) {
    setCurrentIndex(findData(name));
    setToolTip(currentText());
    if (name == drive_) {
        return;
    }
    drive_ = name;
    emit driveChanged();
}

void DriveComboBox::addDrive(const QString& name) {
    addItem(QString::fromStdString(queries_.describe(name.toStdString())), name);
}

}  // namespace zolvane::gui
