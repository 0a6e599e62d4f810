#pragma once
class QAction;
class QMenu;

namespace mugwarp {

// "Keep photo information when saving": whether JPEG and WebP saves carry the
// camera, date and copyright of the photo opened (on unless the user turned
// it off, for privacy). Kept in the user's settings across starts.
bool keepPhotoInformation();
void setKeepPhotoInformation(bool keep);

// The checkable menu command that shows and changes the setting.
QAction* addKeepPhotoInformationCommand(QMenu* menu);

}  // namespace mugwarp
