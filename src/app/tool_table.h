#pragma once
#include <Qt>
#include <span>

#include "app/tool_palette.h"
#include "document/tool_code.h"

namespace mugwarp {

// Everything the window shows of one tool, in one place: its palette button
// and place there, its key, its Mugwarp menu item (the brush tools) or
// window-wide key (the others), its tooltip and its status-bar hint. The
// palette, the menu, the keys and the status line are all made from it.
struct ToolEntry {
    ToolCode code;
    ToolPalette::Button button;
    const char* name;        // status-bar name and menu caption
    const char* tip;         // the palette tooltip before its key
    const char* buttonName;  // object names of the palette button and of the action
    const char* actionName;
    Qt::Key key;
    int column;              // place on the palette
    int row;
    bool onMugwarpMenu;
    const char* hint;        // the status-bar hint while the tool is chosen
};

std::span<const ToolEntry> toolTable();
// nullptr for codes and buttons that are no tool.
const ToolEntry* toolEntry(ToolCode code);
const ToolEntry* toolEntry(ToolPalette::Button button);

}  // namespace mugwarp
