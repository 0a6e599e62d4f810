#include "face/caricature_settings.h"

namespace mugwarp {

const std::array<FaceFeatureInfo, kFaceFeatureCount>& faceFeatures() {
    static const std::array<FaceFeatureInfo, kFaceFeatureCount> table{{
        {FaceFeature::EyeSize, "Eye Size", "eyes", -100, 100},
        {FaceFeature::EyeDistance, "Eye Distance", "eye-distance", -100, 100},
        {FaceFeature::NoseWidth, "Nose Width", "nose", -100, 100},
        {FaceFeature::NoseLength, "Nose Length", "nose-length", -100, 100},
        {FaceFeature::MouthWidth, "Mouth Width", "mouth", -100, 100},
        {FaceFeature::Smile, "Smile", "smile", -100, 100},
        {FaceFeature::ChinLength, "Chin Length", "chin", -100, 100},
        {FaceFeature::JawWidth, "Jaw Width", "jaw", -100, 100},
        {FaceFeature::ForeheadHeight, "Forehead Height", "forehead", -100, 100},
        {FaceFeature::FaceWidth, "Face Width", "face-width", -100, 100},
        {FaceFeature::HeadSize, "Head Size", "head", -100, 100},
        {FaceFeature::Exaggerate, "Exaggerate", "exaggerate", 0, 300},
    }};
    return table;
}

const FaceFeatureInfo& faceFeatureInfo(FaceFeature feature) { return faceFeatures()[static_cast<std::size_t>(feature)]; }

}  // namespace mugwarp
