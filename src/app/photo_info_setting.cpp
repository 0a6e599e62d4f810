#include "app/photo_info_setting.h"

#include <QAction>
#include <QMenu>
#include <QSettings>

namespace mugwarp {
namespace {

const QString kKeepKey = QStringLiteral("saving/keepPhotoInformation");

QSettings settings() { return QSettings(QStringLiteral("mugwarp"), QStringLiteral("mugwarp")); }

}  // namespace

bool keepPhotoInformation() { return settings().value(kKeepKey, true).toBool(); }

void setKeepPhotoInformation(bool keep) { settings().setValue(kKeepKey, keep); }

QAction* addKeepPhotoInformationCommand(QMenu* menu) {
    QAction* action = menu->addAction(QStringLiteral("Keep photo information when saving"));
    action->setObjectName(QStringLiteral("keepPhotoInformation"));
    action->setCheckable(true);
    action->setChecked(keepPhotoInformation());
    action->setToolTip(QStringLiteral("Save the camera, date and copyright of the photo into JPEG and WebP files"));
    QObject::connect(action, &QAction::toggled, [](bool on) { setKeepPhotoInformation(on); });
    return action;
}

}  // namespace mugwarp
