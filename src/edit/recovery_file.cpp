#include "edit/recovery_file.h"

#include <utility>

#include "edit/project_file.h"
#include "edit/recovery_file_legacy.h"
#include "raster/error.h"

namespace mugwarp {

std::vector<std::uint8_t> packRecovery(const RecoverySnapshot& snapshot) {
    ProjectSnapshot project;
    project.source = snapshot.picture;
    project.freezeMask = snapshot.freezeMask;
    project.overlays = snapshot.overlays;
    project.documentFileName = snapshot.documentFileName;
    project.pictureFileName = snapshot.pictureFileName;
    project.keyColor = snapshot.keyColor;
    project.outerColor = snapshot.outerColor;
    project.savedAt = snapshot.savedAt;
    return packProject(project);
}

RecoverySnapshot unpackRecovery(std::span<const std::uint8_t> bytes) {
    if (!looksLikeProject(bytes)) return unpackLegacyRecovery(bytes);
    ProjectSnapshot project = unpackProject(bytes, ProjectKind::Recovery);
    RecoverySnapshot s;
    s.picture = project.display.isEmpty() ? std::move(project.source) : std::move(project.display);
    s.freezeMask = std::move(project.freezeMask);
    s.overlays = std::move(project.overlays);
    s.documentFileName = std::move(project.documentFileName);
    s.pictureFileName = std::move(project.pictureFileName);
    s.keyColor = project.keyColor;
    s.outerColor = project.outerColor;
    s.savedAt = project.savedAt;
    return s;
}

}  // namespace mugwarp
