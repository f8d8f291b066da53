// The window position and the split settings in the user's settings store: the position is
// written at every end and read at start; the settings only on "設定保存".
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <optional>

#include "mainwindow/DriveComboBox.h"
#include "window/MessageBoxes.h"
#include "mainwindow/TForm1.h"

namespace {

// ~/.config/ZolvaneWin.conf, with the groups "Position" and "Setting".
std::unique_ptr<QSettings> OpenStore() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("ZolvaneWin"));
}

// A value that is missing or no integer fails its read, as a wrong type would.
std::optional<int> ReadNumber(const QSettings& store, const char* name) {
    const QVariant value = store.value(QString::fromLatin1(name));
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!value.isValid() || !ok) {
        return std::nullopt;
    }
    return number;
}

// Writes one value at once; a refused write shows the generic box and stops the caller.
bool Write(QSettings& store, const char* name, const QVariant& value) {
    store.setValue(QString::fromLatin1(name), value);
    store.sync();
    if (store.status() != QSettings::NoError) {
        zolvane::gui::ShowErrorBox(QStringLiteral("'%1' の設定に失敗しました").arg(name));
        return false;
    }
    return true;
}

}  // namespace

// Each value is applied as soon as it is read; the first that fails ends the reading.
void TForm1::loadPosition() {
    auto store = OpenStore();
    store->beginGroup(QStringLiteral("Position"));
    const auto top = ReadNumber(*store, "Top");
    if (!top) {
        return;
    }
    move(x(), *top);
    const auto left = ReadNumber(*store, "Left");
    if (!left) {
        return;
    }
    move(*left, y());
}

// Values set here run their controls' handlers, so enabled states follow.
void TForm1::loadSettings() {
    auto store = OpenStore();
    store->beginGroup(QStringLiteral("Setting"));
    int mode = 0;
    [&] {
        const auto divideMode = ReadNumber(*store, "DivideMode");
        if (!divideMode) {
            return;
        }
        mode = *divideMode;
        const auto freeSize = ReadNumber(*store, "FreeSize");
        if (!freeSize) {
            return;
        }
        PieceSize = *freeSize;
        const QVariant drive = store->value(QStringLiteral("DivideDrive"));
        if (!drive.isValid() || drive.toString().isEmpty()) {
            return;
        }
        // The drive's name finds it again with or without a disk in it. One that is not there
        // now (a stick taken out) stays chosen, as an entry of its own: another drive in its
        // place would take pieces meant for a floppy.
        AutoDriveComboBox->keepDrive(drive.toString());
        const std::pair<const char*, QCheckBox*> boxes[] = {
            {"PressChk", PressChkBox}, {"RecursionChk", RecursionBox}, {"PressOnlyChk", PressOnlyBox}};
        for (const auto& [name, box] : boxes) {
            const auto checked = ReadNumber(*store, name);
            if (!checked) {
                return;
            }
            box->setChecked(*checked != 0);
        }
    }();
    SetFreeSize->setText(QString::number(PieceSize));
    QRadioButton* const byCode[] = {SizeButton1, SizeButton4, SizeButton2,
                                    SizeButton5, SizeButton3, AutoSizeButton};
    if (mode >= 0 && mode < 6) {
        byCode[mode]->setChecked(true);
    }
}

void TForm1::SaveSettingClick() {
    QRadioButton* const byCode[] = {SizeButton1, SizeButton4, SizeButton2,
                                    SizeButton5, SizeButton3, AutoSizeButton};
    int code = 0;
    for (int i = 0; i < 6; ++i) {
        if (byCode[i]->isChecked()) {
            code = i;
            break;
        }
    }
    auto store = OpenStore();
    store->beginGroup(QStringLiteral("Setting"));
    // Disabled boxes are written as they stand, too.
    const bool written = Write(*store, "DivideMode", code) &&
                         Write(*store, "FreeSize", PieceSize) &&
                         Write(*store, "DivideDrive", AutoDriveComboBox->drive()) &&
                         Write(*store, "PressChk", PressChkBox->isChecked() ? 1 : 0) &&
                         Write(*store, "RecursionChk", RecursionBox->isChecked() ? 1 : 0) &&
                         Write(*store, "PressOnlyChk", PressOnlyBox->isChecked() ? 1 : 0);
    if (written) {
        SaveSetting->setEnabled(false);
    }
}

void TForm1::writePosition() {
    auto store = OpenStore();
    store->beginGroup(QStringLiteral("Position"));
    if (Write(*store, "Top", y())) {
        Write(*store, "Left", x());
    }
}
