// Feeds arbitrary bytes to every parser of the compiled help file's internal files.

#include "HelpChmParsers.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    using namespace tavorim;
    (void)ParseSystemFile(bytes);
    (void)ParseSitemap(bytes);
    (void)ArchivePathFromLocal(bytes);
    // The first half as #IVB, the second as #STRINGS, with the entries' own contexts.
    const std::string_view ivb = bytes.substr(0, size / 2);
    const std::string_view strings = bytes.substr(size / 2);
    const std::vector<std::string> files{"/a.htm", "/pages/b.htm", "/"};
    for (const ContextEntry &entry : ParseIvbFile(ivb)) {
        (void)StringAt(strings, entry.stringOffset);
        (void)TopicForContext(ivb, strings, entry.context, files);
    }
    (void)MatchArchivePath(strings, files);
    return 0;
}
