#pragma once
#include <QIcon>
#include <QPixmap>

namespace mugwarp {

// The program's own pictures, drawn in code so that nothing has to be found on disk.
QPixmap splashPicture();          // 464 x 335
QPixmap aboutPicture();           // 600 x 308
QPixmap aboutCloseButtonPicture(); // 25 x 25
QIcon applicationIcon();

enum class ToolbarPicture { Open, Save, Print, Reload, Undo, Redo, Tutorial };
QIcon toolbarIcon(ToolbarPicture which);

}  // namespace mugwarp
