#pragma once
#include <QString>
#include <memory>

class QPrinter;

namespace mugwarp {

class OverlayStack;
class PixelSurface;

// The desktop's default printer at its full resolution. Throws Error("No
// printer is installed") when there is none, or when it cannot be used.
std::unique_ptr<QPrinter> defaultPrinter();

// How the user knows the printer: its name, or the file a PDF printer writes.
QString printerLabel(const QPrinter& printer);

// Prints the picture with its shown overlays as one page, job "Mugwarp Studio
// 3.0": at its own proportions, as large as the printable area allows and
// centred, paper white where the picture is transparent. The page is sent in
// tiles of at most 1024 x 1024 device pixels. A failing job is aborted and
// the error thrown.
void printPicture(QPrinter& printer, const PixelSurface& display, const OverlayStack& overlays);

}  // namespace mugwarp
