// A file list: the files of one folder (hidden ones too, no folders) whose names match the
// mask, with single or multiple selection.
#pragma once

#include <QListWidget>
#include <QStringList>

namespace zolvane::gui {

class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    QString directory() const;
    // Reads the folder (the process's current folder stays where it is).
    void setDirectory(const QString& path);
    QString mask() const;
    // Reads the folder again when the mask differs from the one in use.
    void setMask(const QString& mask);
    // Reads the folder again with the mask in use; the item holding the focus caret and the
    // selection stay on the names still listed.
    void refresh();

    void setMultiSelect(bool on);
    bool multiSelect() const;

    // The full path of the item that holds the focus caret, when that item is selected;
    // empty otherwise (or when the list is empty).
    QString currentFilePath() const;
    // The names of the selected files, in list order.
    QStringList selectedNames() const;

private:
    void readFolder();

    QString directory_;
    QString mask_ = QStringLiteral("*.*");
};

}  // namespace zolvane::gui
