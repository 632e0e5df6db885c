#include "constnum.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Any text in: the encoder must end, and give only numeral letters (or the space that stands
// for the missing letters of the thousands).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string input(reinterpret_cast<const char *>(data), size);
    const std::string numeral = Convertit_Romain(input);
    if (numeral.size() > 4 * 4 || numeral.find_first_not_of("IVXLCDM ") != std::string::npos) {
        __builtin_trap();
    }
    return 0;
}
