#pragma once
// The pictures of the toolbar buttons and the program icon, from the program's resources.

#include <cstdint>
#include <map>

#include <QIcon>

namespace kelvandor {

// One icon per toolbar command, cut in button order from toolbar bitmap 128 (16 × 15 pixels
// per button, light grey 0xC0C0C0 transparent). Buttons beyond the bitmap's width, or all of
// them when the bitmap cannot be read, get none (their button then shows its short text).
std::map<std::uint32_t, QIcon> ToolbarIcons();

// The program icon (icon resource 128); a null icon when it cannot be read.
QIcon ProgramIcon();

}  // namespace kelvandor
