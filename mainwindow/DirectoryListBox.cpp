// The folder tree list: ancestors and the open folder with open-folder icons, then the
// subfolders one level deeper; each entry keeps its full path.
#include "mainwindow/DirectoryListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>
#include <QStyledItemDelegate>

namespace zolvane::gui {

namespace {

constexpr int kDepthRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 8;

// A list has no indentation of its own: the delegate shifts each entry by its depth.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted = option;
        shifted.rect.setLeft(option.rect.left() + indent(index));
        QStyledItemDelegate::paint(painter, shifted, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    static int indent(const QModelIndex& index) {
        return index.data(kDepthRole).toInt() * kIndentPixels;
    }
};

QString Normalised(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// "/a/b" gives "/", "/a", "/a/b".
QStringList PathFromRoot(const QString& folder) {
    QStringList chain{QStringLiteral("/")};
    for (const QString& name : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        chain.append(QDir(chain.last()).filePath(name));
    }
    return chain;
}

}  // namespace

DirectoryListBox::DirectoryListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new IndentDelegate(this));
    connect(this, &QListWidget::itemActivated, this, &DirectoryListBox::openSelected);
}

QString DirectoryListBox::directory() const {
    return directory_;
}

bool DirectoryListBox::setDirectory(const QString& path) {
    const QString folder = Normalised(path);
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable() || !info.isExecutable()) {
        return false;
    }
    const bool changed = folder != directory_;
    directory_ = folder;
    fill();
    if (changed) {
        emit directoryChanged();
    }
    return true;
}

void DirectoryListBox::openSelected() {
    const QList<QListWidgetItem*> selected = selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    const QString path = selected.first()->data(kPathRole).toString();
    if (path != directory_ && !setDirectory(path)) {
        // The entries stay; the selection goes back to the folder still open.
        selectOpenFolder();
    }
}

void DirectoryListBox::focusOutEvent(QFocusEvent* event) {
    QListWidget::focusOutEvent(event);
    emit focusLeft();
}

void DirectoryListBox::fill() {
    clear();
    const QStringList chain = PathFromRoot(directory_);
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    for (int depth = 0; depth < chain.size(); ++depth) {
        const QString name = depth == 0 ? chain[0] : QFileInfo(chain[depth]).fileName();
        addEntry(openIcon, name, chain[depth], depth);
    }
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QFileInfoList subfolders =
        QDir(directory_)
            .entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& subfolder : subfolders) {
        addEntry(closedIcon, subfolder.fileName(), subfolder.filePath(), chain.size());
    }
    selectOpenFolder();
}

void DirectoryListBox::addEntry(const QIcon& icon, const QString& name, const QString& path,
                                qsizetype depth) {
    auto* item = new QListWidgetItem(icon, name, this);
    item->setData(kPathRole, path);
    item->setData(kDepthRole, static_cast<int>(depth));
}

void DirectoryListBox::selectOpenFolder() {
    for (int row = 0; row < count(); ++row) {
        if (item(row)->data(kPathRole).toString() == directory_) {
            setCurrentItem(item(row), QItemSelectionModel::ClearAndSelect);
            return;
        }
    }
}

}  // namespace zolvane::gui
