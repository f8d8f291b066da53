// The program's icon: a floppy disk, drawn in code at any size.
#pragma once

#include <QIcon>
#include <QImage>

namespace zolvane::gui {

QImage DrawAppIcon(int size);
QIcon AppIcon();

}  // namespace zolvane::gui
