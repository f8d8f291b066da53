// The folder tree list: ancestors and the open folder with open-folder icons, then the
// subfolders one level deeper; each entry keeps its full path.
#include "mainwindow/DirectoryListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>
#include <QStyledItemDelegate>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "window/MessageBoxes.h"
#include "platform/MessageKinds.h"

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

// Why the folder cannot be listed, as "PATH: REASON"; empty when it can. Reading it is the
// test: permissions alone do not tell (root, access lists).
QString ProblemListing(const QString& folder) {
    const QFileInfo info(folder);
    int error = 0;
    if (!info.exists()) {
        error = ENOENT;
    } else if (!info.isDir()) {
        error = ENOTDIR;
    } else if (!info.isExecutable()) {
        error = EACCES;
    } else {
        std::error_code reading;
        const std::filesystem::directory_iterator listing(folder.toStdString(), reading);
        error = reading.value();
    }
    return error == 0 ? QString() : QString::fromStdString(DetailOf(folder.toStdString(), error));
}

}  // namespace

DirectoryListBox::DirectoryListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new IndentDelegate(this));
    connect(this, &QListWidget::itemActivated, this, &DirectoryListBox::openSelected);
}

QString DirectoryListBox::directory() const {
    return directory_;
}

bool DirectoryListBox::setDirectory(const QString& path, QString* problem) {
    const QString folder = Normalised(path);
    const QString refusal = ProblemListing(folder);
    if (!refusal.isEmpty()) {
        if (problem != nullptr) {
            *problem = refusal;
        }
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
    QString problem;
    if (path != directory_ && !setDirectory(path, &problem)) {
        // The entries stay; the selection goes back to the folder still open, before the box
        // takes the focus (the destination list opens its selection when it loses it).
        selectOpenFolder();
        ShowMessage(QStringLiteral("フォルダーを開けません。"), QStringLiteral("エラー"),
                    MessageIcon::Error, MessageButtons::Ok, this, problem);
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
