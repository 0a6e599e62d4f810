#include "face/feature_moves.h"

#include <cmath>

#include "face/similarity_fit.h"

namespace mugwarp {

namespace {

using namespace landmark;

struct Vec {
    double x = 0, y = 0;
};
Vec operator-(FacePoint a, FacePoint b) { return {a.x - b.x, a.y - b.y}; }
Vec operator*(Vec v, double k) { return {v.x * k, v.y * k}; }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }

// The face's frame: across points from the person's right eye to the left
// one (to the right in an upright photo), down from the eyes towards the chin.
struct FaceFrame {
    FacePoint eyesMiddle;
    Vec across, down;
    double eyeDistance = 1;
    double eyesToChin = 1;
};

FaceFrame frameOf(const LandmarkSet& p) {
    const FacePoint right = centroid(p, kRightEyeBegin, kRightEyeEnd);
    const FacePoint left = centroid(p, kLeftEyeBegin, kLeftEyeEnd);
    FaceFrame f;
    f.eyesMiddle = {(right.x + left.x) / 2, (right.y + left.y) / 2};
    const Vec between = left - right;
    f.eyeDistance = std::max(1.0, std::hypot(between.x, between.y));
    f.across = between * (1.0 / f.eyeDistance);
    f.down = {-f.across.y, f.across.x};
    f.eyesToChin = std::max(1.0, dot(p[kChin] - f.eyesMiddle, f.down));
    return f;
}

// Which side of the face's middle line a point is on: -1 right, +1 left.
double side(const FaceFrame& f, FacePoint p) { return dot(p - f.eyesMiddle, f.across) < 0 ? -1.0 : 1.0; }

struct Mover {
    const std::vector<FacePoint>& from;
    std::vector<Vec>& moves;
    void add(std::size_t i, Vec v) { moves[i] = moves[i] + v; }
    // Spreads points across the face about centre by factor share.
    void widen(std::size_t begin, std::size_t end, FacePoint centre, const FaceFrame& f, double share) {
        for (std::size_t i = begin; i < end; ++i) add(i, f.across * (dot(from[i] - centre, f.across) * share));
    }
    void scale(std::size_t begin, std::size_t end, FacePoint centre, double share) {
        for (std::size_t i = begin; i < end; ++i) add(i, (from[i] - centre) * share);
    }
};

struct Weighted {
    std::size_t index;
    double weight;
};

void addFeatureMoves(const LandmarkSet& p, const FaceFrame& f, const CaricatureSettings& s, Mover& m) {
    const auto t = [&s](FaceFeature feature) { return s[feature] / 100.0; };
    const double eyes = f.eyeDistance;
    const std::size_t forehead = kLandmarkCount;
    const std::size_t all = kLandmarkCount + kForeheadPointCount;

    if (const double k = t(FaceFeature::EyeSize)) {
        m.scale(kRightEyeBegin, kRightEyeEnd, centroid(p, kRightEyeBegin, kRightEyeEnd), 0.5 * k);
        m.scale(kLeftEyeBegin, kLeftEyeEnd, centroid(p, kLeftEyeBegin, kLeftEyeEnd), 0.5 * k);
    }
    if (const double k = t(FaceFeature::EyeDistance)) {
        const Vec apart = f.across * (0.12 * eyes * k);
        for (std::size_t i = kRightEyeBegin; i < kRightEyeEnd; ++i) m.add(i, apart * -1.0);
        for (std::size_t i = kLeftEyeBegin; i < kLeftEyeEnd; ++i) m.add(i, apart);
        // The brows follow half way, so that they stay over the eyes.
        for (std::size_t i = kRightBrowBegin; i < kRightBrowEnd; ++i) m.add(i, apart * -0.5);
        for (std::size_t i = kLeftBrowBegin; i < kLeftBrowEnd; ++i) m.add(i, apart * 0.5);
    }
    if (const double k = t(FaceFeature::NoseWidth)) m.widen(kNoseBaseBegin, kNoseBaseEnd, p[kNoseBottom], f, 0.5 * k);
    if (const double k = t(FaceFeature::NoseLength)) {
        const double length = std::max(1.0, dot(p[kNoseBottom] - p[kNoseBridgeTop], f.down));
        const Vec longer = f.down * (0.18 * length * k);
        for (const Weighted w : {Weighted{28, 0.33}, {29, 0.67}, {30, 1}, {31, 1}, {32, 1}, {33, 1}, {34, 1}, {35, 1}})
            m.add(w.index, longer * w.weight);
        // The mouth makes room (or follows) part of the way: a nose base
        // pushed into the lip would fold the picture.
        for (std::size_t i = kMouthBegin; i < kMouthEnd; ++i) m.add(i, longer * 0.45);
    }
    const FacePoint mouth = centroid(p, kMouthBegin, kMouthEnd);
    if (const double k = t(FaceFeature::MouthWidth)) m.widen(kMouthBegin, kMouthEnd, mouth, f, 0.3 * k);
    if (const double k = t(FaceFeature::Smile)) {
        const Vec corners = p[kMouthLeftCorner] - p[kMouthRightCorner];
        const double width = std::hypot(corners.x, corners.y);
        for (const Weighted w : {Weighted{48, 1}, {54, 1}, {60, 1}, {64, 1}, {49, 0.45}, {53, 0.45}, {59, 0.45},
                                 {55, 0.45}, {61, 0.35}, {63, 0.35}, {67, 0.35}, {65, 0.35}}) {
            const Vec up = f.down * (-0.09 * width * k * w.weight);
            const Vec out = f.across * (0.03 * width * k * w.weight * side(f, p[w.index]));
            m.add(w.index, up + out);
        }
    }
    if (const double k = t(FaceFeature::ChinLength)) {
        const double chin = std::max(1.0, dot(p[kChin] - mouth, f.down));
        for (const Weighted w : {Weighted{8, 1}, {7, 0.85}, {9, 0.85}, {6, 0.55}, {10, 0.55}, {5, 0.25}, {11, 0.25}})
            m.add(w.index, f.down * (0.3 * chin * k * w.weight));
    }
    if (const double k = t(FaceFeature::JawWidth)) {
        for (const Weighted w : {Weighted{2, 0.35}, {3, 0.7}, {4, 1}, {5, 0.9}, {6, 0.6}, {7, 0.3}, {9, 0.3}, {10, 0.6},
                                 {11, 0.9}, {12, 1}, {13, 0.7}, {14, 0.35}})
            m.add(w.index, f.across * (0.12 * eyes * k * w.weight * side(f, p[w.index])));
    }
    if (const double k = t(FaceFeature::ForeheadHeight)) {
        const Vec up = f.down * (-0.16 * f.eyesToChin * k);
        for (std::size_t i = forehead; i < all; ++i) m.add(i, up);
    }
    if (const double k = t(FaceFeature::FaceWidth)) {
        m.widen(kJawBegin, kJawEnd, f.eyesMiddle, f, 0.2 * k);
        m.widen(forehead, all, f.eyesMiddle, f, 0.2 * k);
    }
    if (const double k = t(FaceFeature::HeadSize)) m.scale(0, all, centroid(p, 0, kLandmarkCount), 0.2 * k);
}

}  // namespace

ControlMoves caricatureMoves(const LandmarkSet& face, const LandmarkSet& meanShape, const CaricatureSettings& settings) {
    const FaceFrame f = frameOf(face);
    ControlMoves out;
    out.from.assign(face.begin(), face.end());
    // The forehead over the brows, as high again as a little under half the
    // eyes-to-chin distance: where a hairline usually starts.
    for (const std::size_t brow : {std::size_t{17}, std::size_t{19}, std::size_t{24}, std::size_t{26}}) {
        const Vec up = f.down * (-0.45 * f.eyesToChin);
        out.from.push_back({face[brow].x + up.x, face[brow].y + up.y});
    }
    const FacePoint browsMiddle = {(face[21].x + face[22].x) / 2, (face[21].y + face[22].y) / 2};
    out.from.push_back({browsMiddle.x - f.down.x * 0.5 * f.eyesToChin, browsMiddle.y - f.down.y * 0.5 * f.eyesToChin});

    std::vector<Vec> moves(out.from.size());
    Mover mover{out.from, moves};
    if (const int percent = settings[FaceFeature::Exaggerate]) {
        const Similarity fit = fitSimilarity(meanShape, face);
        for (std::size_t i = 0; i < kLandmarkCount; ++i) mover.add(i, (face[i] - fit(meanShape[i])) * (percent / 100.0));
    }
    addFeatureMoves(face, f, settings, mover);
    out.to.resize(out.from.size());
    for (std::size_t i = 0; i < out.from.size(); ++i) out.to[i] = {out.from[i].x + moves[i].x, out.from[i].y + moves[i].y};
    return out;
}

}  // namespace mugwarp
