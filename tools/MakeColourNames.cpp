// Makes the colour-name table of the XPM reader, image/ColourNameTable.inc, from the X Window
// System's colour database (Debian: /usr/share/X11/rgb.txt in the package x11-common). Run
// by hand from the repository root:
//
//   cmake -S tools -B build-tools -G Ninja && cmake --build build-tools
//   build-tools/kelvandor-make-colour-names /usr/share/X11/rgb.txt image/ColourNameTable.inc
//
// Every name is folded to lower case with its spaces removed and kept once, with the value of
// its first line; "aqua" (0x00FFFF) is added, and names that a distribution adds to its copy
// of the database are left out, so that the table is the same wherever it is made. The
// entries are sorted by the bytes of their names, which lets the reader search them by
// halves. The program refuses to write a table of any other length than 658.

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

constexpr std::size_t kExpectedEntries = 658;

// Names that are not part of the X11 database itself.
const std::set<std::string> kDistributionAdditions = {"debianred"};

std::string FoldName(const std::string& text) {
    std::string name;
    for (const char c : text) {
        if (c != ' ' && c != '\t') {
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return name;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: kelvandor-make-colour-names RGB_TXT OUTPUT_INC\n";
        return 2;
    }
    std::ifstream database(argv[1]);
    if (!database) {
        std::cerr << "cannot read " << argv[1] << "\n";
        return 1;
    }
    std::map<std::string, unsigned> table;  // sorted by the names' bytes
    std::string line;
    while (std::getline(database, line)) {
        if (line.empty() || line[0] == '!') {
            continue;
        }
        std::istringstream fields(line);
        unsigned red = 0, green = 0, blue = 0;
        std::string rest;
        if (!(fields >> red >> green >> blue) || red > 255 || green > 255 || blue > 255) {
            std::cerr << "cannot read the line: " << line << "\n";
            return 1;
        }
        std::getline(fields, rest);
        const std::string name = FoldName(rest);
        if (name.empty() || kDistributionAdditions.count(name) != 0) {
            continue;
        }
        table.emplace(name, (red << 16) | (green << 8) | blue);  // the first line wins
    }
    table.emplace("aqua", 0x00FFFFu);
    if (table.size() != kExpectedEntries) {
        std::cerr << "the database gives " << table.size() << " names, not " << kExpectedEntries
                  << "\n";
        return 1;
    }
    std::ofstream out(argv[2], std::ios::trunc);
    out << "// The colour names of the X11 colour database, folded to lower case without spaces,\n"
           "// plus \"aqua\"; sorted by the bytes of the names. Made by tools/MakeColourNames.cpp\n"
           "// (see there); do not edit.\n";
    for (const auto& [name, value] : table) {
        char entry[96];
        std::snprintf(entry, sizeof entry, "{\"%s\", 0x%06X},\n", name.c_str(), value);
        out << entry;
    }
    out.close();
    return out ? 0 : 1;
}
