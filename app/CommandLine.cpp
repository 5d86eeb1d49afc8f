#include "app/CommandLine.h"

namespace kelvandor {

std::vector<CommandLineAction> ParseCommandLine(const std::vector<std::string>& arguments,
                                                bool slashStartsOption) {
    std::vector<CommandLineAction> actions;
    for (const std::string& argument : arguments) {
        // An empty argument (an unset shell variable, say) names no folder; taking it would
        // wipe the stored puzzle root at exit.
        if (argument.empty()) {
            continue;
        }
        const bool isOption = (argument[0] == '-' || (slashStartsOption && argument[0] == '/'));
        if (!isOption) {
            actions.push_back({CommandLineAction::Kind::PuzzlePath, argument});
            continue;
        }
        if (argument.size() >= 2 && (argument[1] == 'z' || argument[1] == 'Z')) {
            actions.push_back({CommandLineAction::Kind::ToggleZoom, {}});
        }
        // Any other option is ignored, so that options of newer versions do no harm.
    }
    return actions;
}

bool PlatformSlashStartsOption() {
#ifdef _WIN32
    return true;
#else
    return false;
#endif
}

}  // namespace kelvandor
