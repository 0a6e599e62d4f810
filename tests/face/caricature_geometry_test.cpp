#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "face/caricature_settings.h"
#include "face/face_warp_field.h"
#include "face/feature_moves.h"
#include "face/similarity_fit.h"
#include "support/synthetic_face.h"

namespace mugwarp {
namespace {

using test::FaceLayout;
using test::syntheticFace;

const Rect kPicture{0, 0, 512, 512};

// The model's mean is another face of the same drawing, without the
// individual shifts a real face has.
LandmarkSet meanFace() { return syntheticFace({.centreX = 1000, .eyesY = 1000, .eyeDistance = 1}); }

struct Extreme {
    FaceFeature feature;
    int value;
};

std::vector<Extreme> everyExtreme() {
    std::vector<Extreme> out;
    for (const FaceFeatureInfo& info : faceFeatures()) {
        for (const int value : {info.minimum, info.maximum})
            if (value != 0) out.push_back({info.feature, value});
    }
    return out;
}

// The Jacobian of p -> p + d(p), by differences a pixel apart, over the whole
// region: independent of the cells the field checks itself on.
double leastJacobianOnPixelGrid(const FaceWarpField& field) {
    double least = 1e9;
    const Rect r = field.region();
    for (int y = r.top; y + 1 < r.bottom; y += 2) {
        for (int x = r.left; x + 1 < r.right; x += 2) {
            const FacePoint p = field.at(x, y), px = field.at(x + 1, y), py = field.at(x, y + 1);
            const double det = (1 + px.x - p.x) * (1 + py.y - p.y) - (py.x - p.x) * (px.y - p.y);
            least = std::min(least, det);
        }
    }
    return least;
}

// Each point shows at its target: the backward field at the target points
// back at the point (with the share kept, when moves were scaled down).
double worstTargetMiss(const ControlMoves& moves, const FaceWarpField& field) {
    double worst = 0;
    const double k = field.shareApplied();
    for (std::size_t i = 0; i < moves.from.size(); ++i) {
        const FacePoint target{moves.from[i].x + k * (moves.to[i].x - moves.from[i].x),
                               moves.from[i].y + k * (moves.to[i].y - moves.from[i].y)};
        const FacePoint d = field.at(target.x, target.y);
        worst = std::max(worst, std::hypot(target.x + d.x - moves.from[i].x, target.y + d.y - moves.from[i].y));
    }
    return worst;
}

TEST(CaricatureGeometry, NeutralSettingsMoveNothingAndGiveTheIdentityExactly) {
    const LandmarkSet face = syntheticFace({.centreX = 256, .eyesY = 230, .eyeDistance = 100, .tilt = 0.1, .jitter = 0.02, .character = 0.2, .seed = 3});
    const ControlMoves moves = caricatureMoves(face, meanFace(), CaricatureSettings{});
    EXPECT_TRUE(moves.isIdentity());
    const FaceWarpField field(moves, kPicture);
    EXPECT_TRUE(field.isIdentity());
    EXPECT_TRUE(field.region().isEmpty());
    for (int y = 0; y < 512; y += 7)
        for (int x = 0; x < 512; x += 7) ASSERT_EQ(field.at(x, y), (FacePoint{0, 0})) << x << "," << y;
}

// Every slider at both ends, on a tilted face with individual features and on
// a small one: targets within half a pixel, no fold anywhere, and nothing
// beyond the region.
TEST(CaricatureGeometry, EverySliderAtItsExtremesReachesItsTargetsWithoutFolding) {
    const std::vector<FaceLayout> faces = {
        {.centreX = 256, .eyesY = 230, .eyeDistance = 100, .tilt = 0.15, .jitter = 0.01, .character = 0.2, .seed = 7},
        {.centreX = 200, .eyesY = 180, .eyeDistance = 30, .tilt = -0.3, .jitter = 0.01, .character = -0.15, .seed = 9}};
    for (const FaceLayout& layout : faces) {
        const LandmarkSet face = syntheticFace(layout);
        for (const Extreme& e : everyExtreme()) {
            SCOPED_TRACE(std::string(faceFeatureInfo(e.feature).caption) + " " + std::to_string(e.value) + " eyes " +
                         std::to_string(layout.eyeDistance));
            CaricatureSettings settings;
            settings[e.feature] = e.value;
            const ControlMoves moves = caricatureMoves(face, meanFace(), settings);
            EXPECT_FALSE(moves.isIdentity());
            const FaceWarpField field(moves, kPicture);
            ASSERT_FALSE(field.isIdentity());
            EXPECT_GT(field.shareApplied(), 0.3);
            EXPECT_LT(worstTargetMiss(moves, field), 0.5);
            EXPECT_GT(field.minJacobian(), 0.0);
            EXPECT_GT(leastJacobianOnPixelGrid(field), 0.0);
            const Rect r = field.region();
            EXPECT_EQ(r, r.intersected(kPicture));
            for (int x = 0; x < 512; x += 3) {
                EXPECT_EQ(field.at(x, r.top - 1), (FacePoint{0, 0}));
                EXPECT_EQ(field.at(x, r.bottom), (FacePoint{0, 0}));
            }
        }
    }
}

// Everything at once, pushed to the ends: the moves fold the face, so they
// are scaled down until they do not, and the field still hits the targets it
// keeps.
TEST(CaricatureGeometry, MovesThatWouldFoldAreScaledDownUntilTheyDoNot) {
    const LandmarkSet face = syntheticFace({.centreX = 256, .eyesY = 230, .eyeDistance = 100, .jitter = 0.03, .character = 0.2, .seed = 5});
    CaricatureSettings settings;
    for (const FaceFeatureInfo& info : faceFeatures()) settings[info.feature] = info.maximum;
    settings[FaceFeature::EyeDistance] = -100;
    const ControlMoves moves = caricatureMoves(face, meanFace(), settings);
    const FaceWarpField field(moves, kPicture);
    EXPECT_LT(field.shareApplied(), 1.0);
    EXPECT_GT(leastJacobianOnPixelGrid(field), 0.0);
    EXPECT_LT(worstTargetMiss(moves, field), 0.5);
}

TEST(CaricatureGeometry, ExaggerationMovesOnlyWhatDiffersFromTheMean) {
    // The mean itself, turned, scaled and shifted, has nothing to exaggerate.
    const LandmarkSet plain = syntheticFace({.centreX = 300, .eyesY = 200, .eyeDistance = 80, .tilt = 0.4});
    CaricatureSettings settings;
    settings[FaceFeature::Exaggerate] = 300;
    const ControlMoves none = caricatureMoves(plain, meanFace(), settings);
    for (std::size_t i = 0; i < kLandmarkCount; ++i) {
        EXPECT_NEAR(none.to[i].x, none.from[i].x, 1e-6);
        EXPECT_NEAR(none.to[i].y, none.from[i].y, 1e-6);
    }
    // One point off the mean moves away from it by its difference times 3.
    LandmarkSet odd = plain;
    odd[30].x += 4;
    const ControlMoves moves = caricatureMoves(odd, meanFace(), settings);
    const Similarity fit = fitSimilarity(meanFace(), odd);
    const FacePoint expected = fit(meanFace()[30]);
    EXPECT_NEAR(moves.to[30].x - odd[30].x, 3 * (odd[30].x - expected.x), 1e-6);
    EXPECT_GT(moves.to[30].x - odd[30].x, 9.0);
}

TEST(CaricatureGeometry, SimilarityFitRecoversATurnScaleAndShift) {
    const LandmarkSet from = meanFace();
    const Similarity truth{0.8 * std::cos(0.3), 0.8 * std::sin(0.3), -40, 25};
    LandmarkSet onto;
    for (std::size_t i = 0; i < kLandmarkCount; ++i) onto[i] = truth(from[i]);
    const Similarity fit = fitSimilarity(from, onto);
    EXPECT_NEAR(fit.a, truth.a, 1e-9);
    EXPECT_NEAR(fit.b, truth.b, 1e-9);
    EXPECT_NEAR(fit.tx, truth.tx, 1e-6);
    EXPECT_NEAR(fit.ty, truth.ty, 1e-6);
}

// Landmarks no detector would give: all on one spot, a face mostly outside
// the picture, one much bigger than it. The field stays within the picture
// and finite, and never folds.
TEST(CaricatureGeometry, DegenerateAndOutlyingFacesStayWithinThePicture) {
    LandmarkSet collapsed;
    collapsed.fill({100, 100});
    const std::vector<LandmarkSet> faces = {collapsed, syntheticFace({.centreX = -60, .eyesY = -40, .eyeDistance = 80}),
                                            syntheticFace({.centreX = 256, .eyesY = 256, .eyeDistance = 900}),
                                            syntheticFace({.centreX = 5000, .eyesY = 5000, .eyeDistance = 50})};
    for (std::size_t n = 0; n < faces.size(); ++n) {
        SCOPED_TRACE(n);
        CaricatureSettings settings;
        settings[FaceFeature::HeadSize] = 100;
        settings[FaceFeature::Exaggerate] = 300;
        const FaceWarpField field(caricatureMoves(faces[n], meanFace(), settings), kPicture);
        const Rect r = field.region();
        EXPECT_EQ(r, r.intersected(kPicture));
        if (field.isIdentity()) continue;
        for (int y = r.top; y < r.bottom; y += 5) {
            for (int x = r.left; x < r.right; x += 5) {
                const FacePoint d = field.at(x, y);
                ASSERT_TRUE(std::isfinite(d.x) && std::isfinite(d.y));
            }
        }
        EXPECT_GT(leastJacobianOnPixelGrid(field), 0.0);
    }
}

}  // namespace
}  // namespace mugwarp
