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
        const char letter = argument.size() >= 2 ? argument[1] : 0;
        if (letter == 'z' || letter == 'Z') {
            actions.push_back({CommandLineAction::Kind::ToggleZoom, {}});
        } else if (letter == 'm' || letter == 'M') {
            actions.push_back({CommandLineAction::Kind::ModeratorWindow, {}});
        } else if (letter == 'r' || letter == 'R') {
            actions.push_back({CommandLineAction::Kind::RestoreShow, {}});
        }
        // Any other option is ignored, so that options of newer versions do no harm.
    }
    return actions;
}

std::optional<InfoRequest> FindInfoRequest(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--help") {
            return InfoRequest::Help;
        }
        if (argument == "--version") {
            return InfoRequest::Version;
        }
    }
    return std::nullopt;
}

std::string UsageText() {
    return "Aufruf: kelvandor [-z] [-m] [-r] [RÄTSELPFAD]\n"
           "\n"
           "Kelvandor, das Quizspiel für zwei Spieler auf der großen Leinwand.\n"
           "\n"
           "  -z            im Vollbild starten (F10 schaltet um)\n"
           "  -m            das Moderatorfenster öffnen\n"
           "  -r            eine nicht beendete Show ohne Rückfrage fortsetzen\n"
           "  RÄTSELPFAD    Ordner mit den Rätseln (Game001, Game002, ...); er wird\n"
           "                für den nächsten Start gemerkt\n"
           "  --help        diese Hilfe zeigen\n"
           "  --version     die Version zeigen\n"
           "\n"
           "Die Einstellungen liegen in ~/.config/XQ/Kelvandor.conf. Andere Programme steuern\n"
           "das laufende Spiel mit \"kelvandor-tool send\" (siehe kelvandor-tool(1)).\n";
}

bool PlatformSlashStartsOption() {
#ifdef _WIN32
    return true;
#else
    return false;
#endif
}

}  // namespace kelvandor
