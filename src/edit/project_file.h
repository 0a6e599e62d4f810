#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "edit/overlay_stack.h"
#include "raster/color.h"
#include "raster/displacement_map.h"
#include "raster/pixel_surface.h"

namespace mugwarp {

// Everything a project file keeps of an open document, so that it reopens
// ready to go on warping: the undeformed source, the picture as shown, the
// deformation between them, the freeze mask, the overlays with their places,
// the colours and the file names. The history is not kept.
struct ProjectSnapshot {
    PixelSurface source;
    // Empty: the same as the source (a recovery copy, a picture never warped).
    PixelSurface display;
    // Empty: the identity. Otherwise the source's size.
    DisplacementMap deformation;
    // Empty: nothing frozen. Otherwise the source's size.
    ByteMap freezeMask;
    std::vector<Overlay> overlays;
    std::string pictureFileName;   // the picture the work began from
    std::string documentFileName;  // where it was last saved
    PlatformColor keyColor = 0;
    Argb outerColor = 0;
    std::int64_t savedAt = 0;  // seconds since 1970 (UTC)
    // Read only for thumbnails (ProjectContent::Picture): what a picture
    // larger than 1024 pixels shows, overlays drawn in, at 1024 on its
    // longer side; empty otherwise. Written from the other fields.
    PixelSurface preview;
};

// What the file is for: both kinds share the format; the kind only names the
// file in the messages ("The project file is damaged ...").
enum class ProjectKind { Project, Recovery };

// The project file format, version 1 (see docs/project-format.md): a
// preamble (magic, version, their CRC-32), then parts, each a four-letter
// tag, a u64 length, the body and a CRC-32 of tag, length and body, ending
// with the part "END ". Bodies are coded as project_coding.h describes.
std::vector<std::uint8_t> packProject(const ProjectSnapshot& snapshot);
// Throws Error with a message that says what is wrong: not a project at all,
// made by a newer version, cut short, or which part is damaged. Nothing is
// allocated for a size before it has been checked.
// Picture reads only what shows (source, picture as shown, overlays); the
// deformation and the mask are checked but left empty (thumbnails).
enum class ProjectContent { Everything, Picture };
ProjectSnapshot unpackProject(std::span<const std::uint8_t> bytes, ProjectKind kind = ProjectKind::Project,
                              ProjectContent content = ProjectContent::Everything);

// Whether bytes begin as a project file does (enough to choose the reader).
bool looksLikeProject(std::span<const std::uint8_t> bytes);
// The same for a file: false for one that cannot be read.
bool isProjectFile(const std::string& path);
// Whether the name ends in ".mugwarp" (any case): where Save writes a project.
bool hasProjectExtension(const std::string& path);

// The file at path as a project; the message names the file.
ProjectSnapshot readProjectFile(const std::string& path, ProjectContent content = ProjectContent::Everything);
// Written to a temporary file beside path and renamed over it.
void writeProjectFile(const std::string& path, const ProjectSnapshot& snapshot);

}  // namespace mugwarp
