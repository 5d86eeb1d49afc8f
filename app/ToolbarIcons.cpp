#include "app/ToolbarIcons.h"

namespace kelvandor {

std::map<std::uint32_t, QIcon> ToolbarIcons() {
    return {};
}

}  // namespace kelvandor
