#include "base/NumberText.h"

namespace kelvandor {

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'Z') {
        return c - 'A' + 10;
    }
    return 99;
}

DigitRun ReadDigitRun(std::string_view text, int base, std::uint64_t cap) {
    DigitRun run;
    for (char c : text) {
        const int digit = DigitValue(c);
        if (digit >= base) {
            break;
        }
        run.value =
            run.value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (run.value > cap) {
            run.value = cap;
        }
        ++run.length;
    }
    return run;
}

}  // namespace kelvandor
