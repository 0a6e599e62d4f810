#pragma once
// A face's 68 landmarks drawn from simple shapes, for testing the caricature
// geometry without the landmark model.
#include <array>
#include <cmath>
#include <random>

#include "face/face_landmarks.h"

namespace mugwarp::test {

struct FaceLayout {
    double centreX = 256, eyesY = 230;  // the middle between the eyes
    double eyeDistance = 100;
    double tilt = 0;        // radians, clockwise on the screen
    double jitter = 0;      // each point moved at random by up to this share of eyeDistance
    double character = 0;   // bigger eyes, a longer nose, a wider mouth, a narrower jaw by this share
    unsigned seed = 1;
};

inline LandmarkSet syntheticFace(const FaceLayout& layout) {
    constexpr double kPi = 3.14159265358979323846;
    // In eye distances, from the middle between the eyes, y down.
    std::array<FacePoint, kLandmarkCount> unit{};
    // The jaw keeps its width low down, as a real jaw does.
    for (int k = 0; k < 17; ++k) {
        const double c = std::cos(kPi * k / 16);
        unit[k] = {-1.05 * std::copysign(std::pow(std::fabs(c), 0.4), c), -0.05 + 1.85 * std::sin(kPi * k / 16)};
    }
    for (int k = 0; k < 5; ++k) {
        const double x = 0.15 + 0.75 * (4 - k) / 4.0, lift = 0.45 + 0.1 * std::sin(kPi * k / 4);
        unit[17 + k] = {-x, -lift};
        unit[26 - k] = {x, -lift};
    }
    for (int k = 0; k < 4; ++k) unit[27 + k] = {0, 0.05 + 0.23 * k};
    const double base[5][2] = {{-0.3, 0.9}, {-0.15, 0.95}, {0, 0.98}, {0.15, 0.95}, {0.3, 0.9}};
    for (int k = 0; k < 5; ++k) unit[31 + k] = {base[k][0], base[k][1]};
    const double eye[6][2] = {{-1, 0}, {-0.5, -1}, {0.5, -1}, {1, 0}, {0.5, 1}, {-0.5, 1}};
    for (int k = 0; k < 6; ++k) {
        unit[36 + k] = {-0.5 + 0.22 * eye[k][0], 0.09 * eye[k][1]};
        unit[42 + k] = {0.5 + 0.22 * eye[k][0], 0.09 * eye[k][1]};
    }
    const double lips[20][2] = {{-0.45, 0},    {-0.3, -0.1}, {-0.12, -0.15}, {0, -0.12},   {0.12, -0.15},
                                {0.3, -0.1},   {0.45, 0},    {0.3, 0.12},    {0.12, 0.18}, {0, 0.2},
                                {-0.12, 0.18}, {-0.3, 0.12}, {-0.38, 0},     {-0.12, -0.04}, {0, -0.04},
                                {0.12, -0.04}, {0.38, 0},    {0.12, 0.05},   {0, 0.05},    {-0.12, 0.05}};
    for (int k = 0; k < 20; ++k) unit[48 + k] = {lips[k][0], 1.28 + lips[k][1]};

    const double c0 = layout.character;
    for (int k = 0; k < 6; ++k) {
        for (const int eyeStart : {36, 42}) {
            FacePoint& p = unit[eyeStart + k];
            const double cx = eyeStart == 36 ? -0.5 : 0.5;
            p = {cx + (p.x - cx) * (1 + c0), p.y * (1 + c0)};
        }
    }
    for (int k = 28; k < 36; ++k) unit[k].y *= 1 + 0.3 * c0;
    for (int k = 48; k < 68; ++k) unit[k].x *= 1 + c0;
    for (int k = 3; k < 14; ++k) unit[k].x *= 1 - 0.3 * c0;
    std::mt19937 random(layout.seed);
    std::uniform_real_distribution<double> shake(-layout.jitter, layout.jitter);
    const double c = std::cos(layout.tilt), s = std::sin(layout.tilt);
    LandmarkSet out;
    for (std::size_t i = 0; i < kLandmarkCount; ++i) {
        const double x = (unit[i].x + shake(random)) * layout.eyeDistance;
        const double y = (unit[i].y + shake(random)) * layout.eyeDistance;
        out[i] = {layout.centreX + c * x - s * y, layout.eyesY + s * x + c * y};
    }
    return out;
}

}  // namespace mugwarp::test
