// A folder tree list: the path from the root down to the open folder, then the open folder's
// subfolders (hidden ones left out). A double click or Enter opens an entry. The open folder
// is the list's own: the process's current folder stays where it is, so that the program never
// holds a disk the user may want to take out.
#pragma once

#include <QListWidget>

namespace zolvane::gui {

class DirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    // Each entry's full path is kept in its data under this role.
    static constexpr int kPathRole = Qt::UserRole;

    explicit DirectoryListBox(QWidget* parent = nullptr);

    // The open folder: absolute, without a trailing "/" (but "/" itself).
    QString directory() const;
    // Opens the folder; emits directoryChanged when the open folder changes. False, with nothing
    // changed, when the folder cannot be read; `problem` then says why ("PATH: REASON").
    bool setDirectory(const QString& path, QString* problem = nullptr);
    // Opens the entry that is selected, when it is not the open folder already; a folder that
    // cannot be opened is said in a box.
    void openSelected();

signals:
    void directoryChanged();
    // The list lost the keyboard focus (the destination list opens its selection then).
    void focusLeft();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Rebuilds the entries for directory_ and selects it.
    void fill();
    void addEntry(const QIcon& icon, const QString& name, const QString& path, qsizetype depth);
    void selectOpenFolder();

    QString directory_;
};

}  // namespace zolvane::gui
