#include "edit/project_document.h"

#include <chrono>
#include <utility>

namespace mugwarp {

ProjectSnapshot projectOf(const Document& document, const OverlayStack& overlays) {
    ProjectSnapshot s;
    const bool baked = isFlatTool(document.currentTool());
    s.source = baked ? document.display() : document.source();
    if (!baked) {
        s.display = document.display();
        s.deformation = document.deformation();
    }
    const ByteMap& mask = document.freezeMask();
    if (mask.width() == s.source.width() && mask.height() == s.source.height()) s.freezeMask = mask;
    for (std::size_t i = 0; i < overlays.size(); ++i) s.overlays.push_back(overlays.at(i));
    s.pictureFileName = document.pictureFileName();
    s.documentFileName = document.documentFileName();
    s.keyColor = document.keyColor();
    s.outerColor = document.outerColor();
    s.savedAt = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    return s;
}

void installProject(Document& document, OverlayStack& overlays, ProjectSnapshot project,
                    const std::string& documentFileName) {
    document.loadProject(std::move(project.source), std::move(project.display), std::move(project.deformation),
                         std::move(project.freezeMask), project.keyColor, project.outerColor,
                         project.pictureFileName);
    document.setDocumentFileName(documentFileName);
    overlays.clear();
    for (Overlay& overlay : project.overlays) overlays.add(std::move(overlay));
}

bool openDocumentFile(Document& document, OverlayStack& overlays, const std::string& path) {
    if (!isProjectFile(path)) {
        document.loadPicture(path);
        return false;
    }
    installProject(document, overlays, readProjectFile(path), path);
    return true;
}

}  // namespace mugwarp
