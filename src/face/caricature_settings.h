#pragma once
#include <array>
#include <string_view>

namespace mugwarp {

// The panel's sliders. Every feature slider runs from -100 to +100 (0 leaves
// the feature as it is); exaggerate runs from 0 to 300 per cent.
enum class FaceFeature {
    EyeSize,
    EyeDistance,
    NoseWidth,
    NoseLength,
    MouthWidth,
    Smile,
    ChinLength,
    JawWidth,
    ForeheadHeight,
    FaceWidth,
    HeadSize,
    Exaggerate,
};
inline constexpr std::size_t kFaceFeatureCount = 12;

struct FaceFeatureInfo {
    FaceFeature feature;
    std::string_view caption;  // as the panel shows it
    std::string_view key;      // the word in mugwarp-cli's face: action
    int minimum, maximum;
};

// In the panel's order, exaggerate last.
const std::array<FaceFeatureInfo, kFaceFeatureCount>& faceFeatures();
const FaceFeatureInfo& faceFeatureInfo(FaceFeature feature);

struct CaricatureSettings {
    std::array<int, kFaceFeatureCount> values{};  // by FaceFeature
    int& operator[](FaceFeature f) { return values[static_cast<std::size_t>(f)]; }
    int operator[](FaceFeature f) const { return values[static_cast<std::size_t>(f)]; }
    bool isNeutral() const {
        for (int v : values)
            if (v != 0) return false;
        return true;
    }
    friend bool operator==(const CaricatureSettings&, const CaricatureSettings&) = default;
};

}  // namespace mugwarp
