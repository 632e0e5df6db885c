#pragma once

// Readers of the small internal files of a compiled help file. Every offset, length and
// count in them is treated as hostile: a damaged file gives less, never a crash.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavorim {

// The records of "#SYSTEM" the viewer uses.
struct SystemInfo {
    std::string contentsFile; // code 0
    std::string indexFile;    // code 1
    std::string defaultTopic; // code 2
    std::string title;        // code 3
};

// Null when the file is too short to hold its version field; a truncated record ends the
// reading, keeping what came before.
std::optional<SystemInfo> parseSystemFile(std::string_view bytes);

// Archive names sort and match without regard to letter case, as the archive's own index
// does.
bool archiveNameLess(std::string_view a, std::string_view b);

// One entry of "#IVB": a context number and the offset of its alias text in "#STRINGS".
struct ContextEntry {
    std::uint32_t context;
    std::uint32_t stringOffset;
};
std::vector<ContextEntry> parseIvbFile(std::string_view bytes);

// The NUL-terminated text at offset in "#STRINGS"; null when it starts or runs past the end.
std::optional<std::string> stringAt(std::string_view strings, std::uint32_t offset);

// The archive file an alias names. Compilers may store a build machine's absolute path, so the
// longest archive name ending the alias on a folder boundary wins, letter case ignored.
std::optional<std::string> matchArchivePath(std::string_view alias,
                                            const std::vector<std::string> &archiveFiles);

// The topic that a context number maps to, from "#IVB" and "#STRINGS".
std::optional<std::string> topicForContext(std::string_view ivb, std::string_view strings,
                                           std::uint32_t context,
                                           const std::vector<std::string> &archiveFiles);

// One entry of a sitemap (the table of contents).
struct SitemapEntry {
    std::string name;
    std::string local;
    std::vector<SitemapEntry> children;
};

// The entries of a ".hhc" sitemap, nested as its lists are. Deeper nesting than
// MaxSitemapDepth is flattened into the deepest level kept.
constexpr int MaxSitemapDepth = 64;
constexpr std::size_t MaxSitemapEntries = 20000;
std::vector<SitemapEntry> parseSitemap(std::string_view html);

// An archive path ("/dir/page.htm") from a sitemap or link target: "ms-its:file.chm::/x.htm"
// keeps the part after "::", a fragment is dropped, a relative name gains its leading "/".
std::string archivePathFromLocal(std::string_view local);

} // namespace tavorim
