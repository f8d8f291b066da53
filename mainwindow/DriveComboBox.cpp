// The drive list: the machine's drives by name, each shown as the drive layer describes it,
// read again whenever the list opens.
#include "mainwindow/DriveComboBox.h"

#include <QAbstractItemView>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <algorithm>

namespace zolvane::gui {

namespace {

// Room either side of an entry's text in the open list.
constexpr int kEntryPadding = 12;

}  // namespace

DriveComboBox::DriveComboBox(platform::DriveQueries& drives, QWidget* parent)
    : QComboBox(parent), queries_(drives) {
    // An entry wider than the screen keeps both ends in the open list too.
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

void DriveComboBox::followDrive(const QString& name) {
    if (findData(name) < 0) {
        refreshDrives();
        if (findData(name) < 0) {
            addDrive(name);
        }
    }
    showDrive(name, false);
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

void DriveComboBox::refreshTexts() {
    for (int i = 0; i < count(); ++i) {
        setItemText(
            i, QString::fromStdString(queries_.describe(itemData(i).toString().toStdString())));
    }
    setToolTip(currentText());
}

// The open list is as wide as its longest entry, within the screen: the box is too narrow for
// a mount folder named after a long label.
void DriveComboBox::showPopup() {
    refreshDrives();
    const QFontMetrics metrics(view()->font());
    int widest = 0;
    for (int i = 0; i < count(); ++i) {
        widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
    }
    int frame = 2 * view()->frameWidth() + kEntryPadding;
    if (count() > maxVisibleItems()) {
        frame += style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    }
    view()->setMinimumWidth(std::min(widest + frame, screen()->availableGeometry().width()));
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

void DriveComboBox::showDrive(const QString& name, bool announce) {
    setCurrentIndex(findData(name));
    setToolTip(currentText());
    if (name == drive_) {
        return;
    }
    drive_ = name;
    if (announce) {
        emit driveChanged();
    }
}

void DriveComboBox::addDrive(const QString& name) {
    addItem(QString::fromStdString(queries_.describe(name.toStdString())), name);
}

}  // namespace zolvane::gui
