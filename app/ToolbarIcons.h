#pragma once
// The toolbar's button pictures, cut from the program's toolbar bitmap.

#include <cstdint>
#include <map>

#include <QIcon>

namespace kelvandor {

// One icon per toolbar command id, in the order of the toolbar buttons. Commands whose
// picture cannot be had get none (their button then shows its short text).
std::map<std::uint32_t, QIcon> ToolbarIcons();

}  // namespace kelvandor
