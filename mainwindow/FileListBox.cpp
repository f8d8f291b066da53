// The file list: one folder's files that match the mask, by name without case.
#include "mainwindow/FileListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

#include "mainwindow/FileMask.h"

namespace zolvane::gui {

namespace {

bool ByNameWithoutCase(const QString& a, const QString& b) {
    const int order = QString::compare(a, b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

}  // namespace

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(SingleSelection);
}

QString FileListBox::directory() const {
    return directory_;
}

void FileListBox::setDirectory(const QString& path) {
    directory_ = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    readFolder();
}

QString FileListBox::mask() const {
    return mask_;
}

void FileListBox::setMask(const QString& mask) {
    if (mask == mask_) {
        return;
    }
    mask_ = mask;
    readFolder();
}

void FileListBox::refresh() {
    const QString current = currentItem() != nullptr ? currentItem()->text() : QString();
    const QStringList names = selectedNames();
    const QSet<QString> selected(names.begin(), names.end());
    readFolder();
    for (int row = 0; row < count(); ++row) {
        QListWidgetItem* entry = item(row);
        if (entry->text() == current) {
            setCurrentItem(entry, QItemSelectionModel::NoUpdate);
        }
        entry->setSelected(selected.contains(entry->text()));
    }
}

void FileListBox::setMultiSelect(bool on) {
    if (on) {
        setSelectionMode(ExtendedSelection);
        return;
    }
    QListWidgetItem* current = currentItem();
    const bool keep = current != nullptr && current->isSelected();
    setSelectionMode(SingleSelection);
    clearSelection();
    if (keep) {
        current->setSelected(true);
    }
}

bool FileListBox::multiSelect() const {
    return selectionMode() == ExtendedSelection;
}

QString FileListBox::currentFilePath() const {
    const QListWidgetItem* current = currentItem();
    if (current == nullptr || !current->isSelected()) {
        return {};
    }
    const QString separator =
        directory_.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
    return directory_ + separator + current->text();
}

QStringList FileListBox::selectedNames() const {
    QStringList names;
    for (int row = 0; row < count(); ++row) {
        if (item(row)->isSelected()) {
            names.append(item(row)->text());
        }
    }
    return names;
}

void FileListBox::readFolder() {
    clear();
    if (directory_.isEmpty()) {
        return;
    }
    // Files (and links to files) only, hidden ones too: QDir::Files leaves folders out.
    QStringList names;
    for (const QString& name :
         QDir(directory_).entryList(QDir::Files | QDir::Hidden, QDir::Unsorted)) {
        if (MatchesFileMask(name, mask_)) {
            names.append(name);
        }
    }
    std::sort(names.begin(), names.end(), ByNameWithoutCase);
    addItems(names);
}

}  // namespace zolvane::gui
