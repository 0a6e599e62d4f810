#include <cstdio>
#include <iostream>

#include "cli/cli_commands.h"
#include "face/face_model.h"
#include "face/shared_face_model.h"
#include "formats/picture_io.h"
#include "raster/pixel_surface.h"

namespace mugwarp::cli {

namespace {

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

void printText(const std::vector<FoundFace>& faces) {
    for (std::size_t n = 0; n < faces.size(); ++n) {
        const Rect& b = faces[n].box;
        std::cout << "face " << n + 1 << ": box " << b.left << "," << b.top << " " << b.width() << "x" << b.height() << "\n";
        for (std::size_t i = 0; i < kLandmarkCount; ++i)
            std::cout << "  " << i << ": " << number(faces[n].points[i].x) << "," << number(faces[n].points[i].y) << "\n";
    }
}

void printJson(const std::vector<FoundFace>& faces) {
    std::cout << "{\"faces\": [";
    for (std::size_t n = 0; n < faces.size(); ++n) {
        const Rect& b = faces[n].box;
        std::cout << (n ? ",\n  " : "\n  ") << "{\"box\": {\"left\": " << b.left << ", \"top\": " << b.top
                  << ", \"width\": " << b.width() << ", \"height\": " << b.height() << "},\n   \"landmarks\": [";
        for (std::size_t i = 0; i < kLandmarkCount; ++i)
            std::cout << (i ? ", " : "") << "[" << number(faces[n].points[i].x) << ", " << number(faces[n].points[i].y) << "]";
        std::cout << "]}";
    }
    std::cout << "\n]}\n";
}

}  // namespace

std::string facesUsage() {
    return "usage: mugwarp-cli faces IN [--json]\n"
           "  finds the faces in IN, largest first, and prints each face's box (left,top\n"
           "  width x height) and its 68 landmarks in picture pixels (jaw 0-16, brows 17-26,\n"
           "  nose 27-35, eyes 36-47, mouth 48-67); --json prints the same as JSON.\n"
           "  Exits with 1 and the reason when there is no face or no landmark model\n"
           "  ($MUGWARP_FACE_MODEL, else " +
           faceModelPath() + ").\n";
}

int runFaces(const std::vector<std::string>& args) {
    bool json = false;
    std::vector<std::string> files;
    for (const std::string& a : args) {
        if (a == "--json") json = true;
        else files.push_back(a);
    }
    if (files.size() != 1 || files[0].starts_with("--")) {
        std::cerr << facesUsage();
        return 2;
    }
    try {
        PixelSurface picture;
        picture.assign(loadPicture(files[0]));
        const std::vector<FoundFace> faces = requireFaces(*sharedFaceModel(), picture);
        if (json) printJson(faces);
        else printText(faces);
    } catch (const std::exception& e) {
        std::cerr << files[0] << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace mugwarp::cli
