// Feeds arbitrary bytes to every parser of the compiled help file's internal files.

#include "HelpChmParsers.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    using namespace tavorim;
    (void)parseSystemFile(bytes);
    (void)parseSitemap(bytes);
    (void)archivePathFromLocal(bytes);
    // The first half as #IVB, the second as #STRINGS. Every entry's text is read; contexts
    // are looked up for the first and last entries and for one that is absent, so that a
    // run stays linear in the input.
    const std::string_view ivb = bytes.substr(0, size / 2);
    const std::string_view strings = bytes.substr(size / 2);
    const std::vector<std::string> files{"/a.htm", "/pages/b.htm", "/"};
    const std::vector<ContextEntry> entries = parseIvbFile(ivb);
    for (const ContextEntry &entry : entries)
        (void)stringAt(strings, entry.stringOffset);
    std::uint32_t absent = 0;
    for (const ContextEntry &entry : entries)
        absent = std::max(absent, entry.context + 1);
    if (!entries.empty()) {
        (void)topicForContext(ivb, strings, entries.front().context, files);
        (void)topicForContext(ivb, strings, entries.back().context, files);
    }
    (void)topicForContext(ivb, strings, absent, files);
    (void)matchArchivePath(strings, files);
    (void)archiveNameLess(ivb, strings);
    return 0;
}
