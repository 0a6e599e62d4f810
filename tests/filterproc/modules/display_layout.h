#pragma once
// What the display test filters show, shared with the tests that check it:
// the part of the picture inside the inset below, drawn with its top-left
// corner at (kShownLeft, kShownTop) of a context filled with kBackground.
#include <cstdint>

namespace display_layout {

constexpr int kInsetTop = 2, kInsetLeft = 3, kInsetBottom = 1, kInsetRight = 4;
constexpr int kShownTop = 1, kShownLeft = 5;
constexpr std::uint32_t kBackground = 0x204060;  // 0xRRGGBB
constexpr int kWideRowPadding = 13;               // bytes after each row of the wide-row map
constexpr std::int32_t kPhaseRow = 3, kPhaseCol = 5;

// The masked map's mask: every value from clear to opaque turns up.
inline std::uint8_t maskAt(int x, int y) { return std::uint8_t((x * 37 + y * 11) & 255); }

}  // namespace display_layout
