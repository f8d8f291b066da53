// The piece-size choices of the settings page: which size, the free size and the drive of
// automatic sizing. The window only records the choice; the split engine reads it.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "mainwindow/DriveComboBox.h"
#include "mainwindow/FreeSizeText.h"
#include "window/MessageBoxes.h"
#include "mainwindow/TForm1.h"

void TForm1::SizeButton1Click() {
    AutoDriveComboBox->setEnabled(false);
    Label5->setEnabled(false);
    SetFreeSize->setEnabled(false);
    Label3->setEnabled(false);
    SaveSetting->setEnabled(true);
}

void TForm1::SizeButton3Click() {
    AutoDriveComboBox->setEnabled(false);
    Label5->setEnabled(false);
    SetFreeSize->setEnabled(true);
    Label3->setEnabled(true);
    if (setFreeSizeFromText()) {
        SaveSetting->setEnabled(true);
    }
}

// Every change counts, so emptying the edit already says it is no number.
void TForm1::SetFreeSizeChange() {
    if (setFreeSizeFromText()) {
        SaveSetting->setEnabled(true);
    }
}

void TForm1::AutoSizeButtonClick() {
    SetFreeSize->setEnabled(false);
    Label3->setEnabled(false);
    AutoDriveComboBox->setEnabled(true);
    Label5->setEnabled(true);
    SaveSetting->setEnabled(true);
}

void TForm1::AutoDriveComboBoxChange() {
    AutoDrive = AutoDriveComboBox->drive();
    SaveSetting->setEnabled(true);
}

// A text that is no integer leaves PieceSize as it was.
bool TForm1::setFreeSizeFromText() {
    const auto value = zolvane::gui::FreeSizeValue(SetFreeSize->text());
    if (!value) {
        zolvane::gui::ShowErrorBox(
            QStringLiteral("'%1' は整数ではありません").arg(SetFreeSize->text()));
        return false;
    }
    PieceSize = *value;
    return true;
}

// Automatic sizing when none of the others is checked.
zolvane::SizeChoice TForm1::sizeChoice() const {
    if (SizeButton1->isChecked()) {
        return zolvane::SizeChoice::Floppy1440K;
    }
    if (SizeButton2->isChecked()) {
        return zolvane::SizeChoice::Floppy720K;
    }
    if (SizeButton4->isChecked()) {
        return zolvane::SizeChoice::Floppy1250K;
    }
    if (SizeButton5->isChecked()) {
        return zolvane::SizeChoice::Floppy640K;
    }
    if (SizeButton3->isChecked()) {
        return zolvane::SizeChoice::Free;
    }
    return zolvane::SizeChoice::Automatic;
}
