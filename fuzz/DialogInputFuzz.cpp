// The texts typed into the number box and the COM port box.

#include <string_view>

#include "FuzzTarget.h"
#include "settings/DialogInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvandor;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TimeoutFromEntry(ParseNumberBoxText(text), 30);
    ComPortFromText(text);
    return 0;
}
