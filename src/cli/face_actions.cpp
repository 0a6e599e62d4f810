#include <string>

#include "cli/edit_actions.h"
#include "face/caricature_edit.h"
#include "face/shared_face_model.h"

namespace mugwarp::cli {

namespace {

struct FaceStep {
    CaricatureSettings settings;
    int face = 1;  // counted from the largest
};

FaceStep parseFaceStep(std::string_view arguments) {
    FaceStep step;
    if (arguments.empty()) throw UsageError{"name at least one setting, e.g. face:exaggerate=150"};
    for (const std::string_view item : split(arguments, ',')) {
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos) throw UsageError{"a setting is NAME=VALUE, not '" + std::string(item) + "'"};
        const std::string_view name = item.substr(0, equals), value = item.substr(equals + 1);
        if (name == "face") {
            step.face = parseInt(value, 1, 1000, "face");
            continue;
        }
        const FaceFeatureInfo* found = nullptr;
        for (const FaceFeatureInfo& info : faceFeatures())
            if (info.key == name) found = &info;
        if (!found) throw UsageError{"unknown face setting '" + std::string(name) + "'"};
        step.settings[found->feature] = parseInt(value, found->minimum, found->maximum, std::string(name));
    }
    return step;
}

std::string faceSyntax() {
    const std::string indent = "\n                    ";
    std::string syntax = "face:NAME=VALUE[,NAME=VALUE...][,face=N]" + indent +
                         "caricature of face N (1, the largest, unless given); NAME is one of";
    std::string line;
    for (const FaceFeatureInfo& info : faceFeatures()) {
        const std::string item = std::string(info.key) + " (" + std::to_string(info.minimum) + ".." +
                                 std::to_string(info.maximum) + ")";
        if (line.size() + item.size() > 58) {
            syntax += indent + line;
            line.clear();
        }
        line += (line.empty() ? "" : " ") + item;
    }
    return syntax + indent + line;
}

}  // namespace

void addFaceActions(ActionTable& table) {
    table["face"] = {faceSyntax(), [](std::string_view arguments) -> Action {
                         const FaceStep step = parseFaceStep(arguments);
                         return [step](EditSession& s) {
                             // Faces are found on the picture as shown, as the
                             // editor's panel does; a flat tool in use ends first.
                             s.strokes.release();
                             if (isFlatTool(s.document.currentTool())) s.document.selectArrowTool();
                             const std::shared_ptr<const FaceModel> model = sharedFaceModel();
                             const std::vector<FoundFace> faces = requireFaces(*model, s.document.display());
                             if (step.face > static_cast<int>(faces.size())) {
                                 throw ActionError{"face " + std::to_string(step.face) + ": the picture has only " +
                                                   std::to_string(faces.size()) +
                                                   (faces.size() == 1 ? " face" : " faces")};
                             }
                             applyCaricature(s.document, faces[step.face - 1].points, model->meanShape(), step.settings);
                         };
                     }};
}

}  // namespace mugwarp::cli
