#pragma once

namespace mugwarp::face_messages {

inline constexpr const char* kModelMissing =
    "Face tools need the face landmark model (Debian package libdlib-data).";
inline constexpr const char* kNoFace =
    "No face found: faces must look at the camera and be at least about 36 pixels wide.";

}  // namespace mugwarp::face_messages
