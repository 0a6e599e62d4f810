#pragma once
#include <QString>
#include <cstddef>

#include "document/undo_history.h"

namespace mugwarp {

// The Undo and Redo tooltips: how many steps each can take and how much
// memory the whole history holds, e.g. "Undo (12 steps back; history uses
// 37.4 MB)".
QString undoToolTip(const HistoryUsage& usage);
QString redoToolTip(const HistoryUsage& usage);

// A memory amount as users read it: "850 KB", "37.4 MB", "1.25 GB".
QString memoryText(std::size_t bytes);

}  // namespace mugwarp
