#pragma once
#include <string>
#include <vector>

#include "formats/photo_info.h"
#include "formats/picture_io.h"

namespace mugwarp::cli {

// The options every command that saves a picture takes.
struct SaveFlags {
    bool stripMetadata = false;
    bool lossless = false;
    int quality = 90;

    // Save options keeping info unless told to strip it; info must outlive them.
    SaveOptions options(const PhotoInfo& info) const;
};

// Moves --strip-metadata, --lossless and --quality N out of args into flags;
// the other words go to rest in their order. False for a bad --quality.
bool takeSaveFlags(const std::vector<std::string>& args, std::vector<std::string>& rest, SaveFlags& flags);

// The lines of usage text that describe them.
std::string saveFlagsHelp();

}  // namespace mugwarp::cli
