#include "face/face_model.h"

#include <dlib/array2d.h>
#include <dlib/image_processing/frontal_face_detector.h>
#include <dlib/image_processing/shape_predictor.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>

#include "face/face_messages.h"
#include "face/gray_image.h"
#include "raster/error.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

namespace {

constexpr const char* kDefaultModelPath = "/usr/share/dlib/shape_predictor_68_face_landmarks.dat";

dlib::array2d<unsigned char> toDlib(const GrayImage& gray) {
    dlib::array2d<unsigned char> image(gray.height, gray.width);
    for (int y = 0; y < gray.height; ++y)
        std::memcpy(&image[y][0], gray.pixels.data() + static_cast<std::size_t>(y) * gray.width, gray.width);
    return image;
}

// The predictor's file begins with its version and its starting shape; read
// on their own they give the mean face without another 100 MB pass.
LandmarkSet readMeanShape(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    int version = 0;
    dlib::matrix<float, 0, 1> initial;
    dlib::deserialize(version, in);
    dlib::deserialize(initial, in);
    if (version != 1 || initial.size() != static_cast<long>(2 * kLandmarkCount)) throw Error(face_messages::kModelMissing);
    LandmarkSet mean;
    for (std::size_t i = 0; i < kLandmarkCount; ++i) mean[i] = {initial(2 * i), initial(2 * i + 1)};
    return mean;
}

}  // namespace

struct FaceModel::Parts {
    // The detector keeps scratch buffers of its own while it scans.
    mutable std::mutex detectorLock;
    mutable dlib::frontal_face_detector detector = dlib::get_frontal_face_detector();
    dlib::shape_predictor predictor;
};

std::string faceModelPath() {
    const char* chosen = std::getenv("MUGWARP_FACE_MODEL");
    return chosen && *chosen ? std::string(chosen) : std::string(kDefaultModelPath);
}

FaceModel::FaceModel(std::unique_ptr<Parts> parts, const LandmarkSet& mean) : parts_(std::move(parts)), mean_(mean) {}
FaceModel::~FaceModel() = default;

std::shared_ptr<const FaceModel> FaceModel::load(const std::string& path) {
    try {
        const LandmarkSet mean = readMeanShape(path);
        auto parts = std::make_unique<Parts>();
        dlib::deserialize(path) >> parts->predictor;
        if (parts->predictor.num_parts() != kLandmarkCount) throw Error(face_messages::kModelMissing);
        return std::shared_ptr<const FaceModel>(new FaceModel(std::move(parts), mean));
    } catch (const std::exception&) {
        // Missing, unreadable, cut short or another model: all the same to
        // the user, who gets the package to install.
        throw Error(face_messages::kModelMissing);
    }
}

std::vector<FoundFace> FaceModel::findFaces(const PixelSurface& picture) const {
    if (picture.width() < 8 || picture.height() < 8) return {};
    const double scale = detectorScale(picture.width(), picture.height());
    std::vector<dlib::rectangle> found;
    {
        const dlib::array2d<unsigned char> small = toDlib(scaledGray(picture, scale));
        const std::lock_guard<std::mutex> hold(parts_->detectorLock);
        found = parts_->detector(small);
    }
    std::vector<FoundFace> faces;
    faces.reserve(found.size());
    for (const dlib::rectangle& r : found) {
        const Rect box{static_cast<int>(std::floor(r.left() / scale)), static_cast<int>(std::floor(r.top() / scale)),
                       static_cast<int>(std::ceil((r.right() + 1) / scale)),
                       static_cast<int>(std::ceil((r.bottom() + 1) / scale))};
        // The predictor reads pixels around the box: half a box of room on
        // every side is enough, and keeps a 24-megapixel photo out of it.
        const int marginX = box.width() / 2 + 2, marginY = box.height() / 2 + 2;
        const Rect around =
            Rect{box.left - marginX, box.top - marginY, box.right + marginX, box.bottom + marginY}.intersected(picture.bounds());
        const dlib::array2d<unsigned char> crop = toDlib(grayCrop(picture, around));
        const dlib::rectangle local(box.left - around.left, box.top - around.top, box.right - 1 - around.left,
                                    box.bottom - 1 - around.top);
        const dlib::full_object_detection shape = parts_->predictor(crop, local);
        FoundFace face{box, {}};
        for (std::size_t i = 0; i < kLandmarkCount; ++i) {
            face.points[i] = {static_cast<double>(shape.part(i).x() + around.left),
                              static_cast<double>(shape.part(i).y() + around.top)};
        }
        faces.push_back(face);
    }
    std::stable_sort(faces.begin(), faces.end(), [](const FoundFace& a, const FoundFace& b) {
        return static_cast<long long>(a.box.width()) * a.box.height() > static_cast<long long>(b.box.width()) * b.box.height();
    });
    return faces;
}

std::vector<FoundFace> requireFaces(const FaceModel& model, const PixelSurface& picture) {
    std::vector<FoundFace> faces = model.findFaces(picture);
    if (faces.empty()) throw Error(face_messages::kNoFace);
    return faces;
}

}  // namespace mugwarp
