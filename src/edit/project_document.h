#pragma once
#include <string>

#include "document/document.h"
#include "edit/overlay_stack.h"
#include "edit/project_file.h"

namespace mugwarp {

// The open document and its overlays as a project keeps them. While a
// flat-image tool is active the source already holds what is shown, so the
// project keeps that picture without a deformation (as leaving the tool would).
ProjectSnapshot projectOf(const Document& document, const OverlayStack& overlays);

// Makes a project the document's and its overlays the stack's, exactly as
// saved; the document file name becomes documentFileName. Nothing changes
// when the project does not fit (Error).
void installProject(Document& document, OverlayStack& overlays, ProjectSnapshot project,
                    const std::string& documentFileName);

// Opens a file as Open does: a project (known by its first bytes, whatever
// its name) with its overlays, any other file as a picture, leaving the
// overlays to the caller. Returns whether it was a project. A file that
// cannot be read leaves document and overlays as they were.
bool openDocumentFile(Document& document, OverlayStack& overlays, const std::string& path);

}  // namespace mugwarp
