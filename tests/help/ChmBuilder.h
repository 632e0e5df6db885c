#pragma once

// Small compiled help files made byte by byte, with directories laid out at will: sound ones,
// and ones whose chunk chain or index loops. Standard C++ only, for the tests and the fuzzers.

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace help_test {

struct ChmEntry {
    std::string name;
    unsigned section = 0; // 0 stored, 1 compressed
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// A directory chunk listing entries (PMGL), with the number of the next one.
struct ChmListChunk {
    std::vector<ChmEntry> entries; // in name order
    std::uint32_t next = 0xFFFFFFFF;
};

// An index chunk (PMGI): each entry names the first file of the chunk it leads to.
struct ChmIndexChunk {
    std::vector<std::pair<std::string, std::uint32_t>> entries;
};

struct ChmLayout {
    std::vector<std::variant<ChmListChunk, ChmIndexChunk>> chunks;
    std::uint32_t indexRoot = 0xFFFFFFFF; // none
    std::uint32_t firstList = 0;
    std::uint32_t lastList = 0;
    std::string content; // the stored section
};

namespace chm_detail {

constexpr std::uint32_t ChunkSize = 512;

inline void put(std::string &out, std::size_t at, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[at + std::size_t(i)] = char((value >> (8 * i)) & 0xFF);
}

inline void append(std::string &out, std::uint64_t value, int bytes) {
    out.append(std::size_t(bytes), '\0');
    put(out, out.size() - std::size_t(bytes), value, bytes);
}

// The directory's variable-length numbers: 7 bits a byte, high bit set on all but the last.
inline std::string encint(std::uint64_t value) {
    std::string bytes(1, char(value & 0x7F));
    while (value >>= 7)
        bytes.insert(bytes.begin(), char(0x80 | (value & 0x7F)));
    return bytes;
}

inline std::string named(const std::string &name) {
    return encint(name.size()) + name;
}

// A chunk ends with its entry count; a quick-reference area of just that count makes the
// reader search the entries in order.
inline std::string finishChunk(std::string chunk, std::size_t entries) {
    chunk.resize(ChunkSize, '\0');
    put(chunk, ChunkSize - 2, entries, 2);
    return chunk;
}

inline std::string chunkBytes(const ChmListChunk &list) {
    std::string chunk = "PMGL";
    append(chunk, 2, 4);
    append(chunk, 0, 4);
    append(chunk, 0xFFFFFFFF, 4);
    append(chunk, list.next, 4);
    for (const ChmEntry &e : list.entries)
        chunk += named(e.name) + encint(e.section) + encint(e.offset) + encint(e.length);
    return finishChunk(chunk, list.entries.size());
}

inline std::string chunkBytes(const ChmIndexChunk &index) {
    std::string chunk = "PMGI";
    append(chunk, 2, 4);
    for (const auto &[name, target] : index.entries)
        chunk += named(name) + encint(target);
    return finishChunk(chunk, index.entries.size());
}

} // namespace chm_detail

// The file: ITSF header, header sections 0 and 1, the directory, then the stored section.
inline std::string buildChm(const ChmLayout &layout) {
    using namespace chm_detail;
    const std::uint64_t directory = 0x78 + 0x54;
    const std::uint64_t contentStart = directory + std::uint64_t(ChunkSize) * layout.chunks.size();
    const std::uint64_t total = contentStart + layout.content.size();
    const unsigned char guids[32] = {0x10, 0xFD, 0x01, 0x7C, 0xAA, 0x7B, 0xD0, 0x11,
                                     0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC,
                                     0x11, 0xFD, 0x01, 0x7C, 0xAA, 0x7B, 0xD0, 0x11,
                                     0x9E, 0x0C, 0x00, 0xA0, 0xC9, 0x22, 0xE6, 0xEC};
    std::string file = "ITSF";
    append(file, 3, 4);    // version
    append(file, 0x60, 4); // header length
    append(file, 1, 4);
    append(file, 0, 4);     // time stamp
    append(file, 0x409, 4); // language
    file.append(reinterpret_cast<const char *>(guids), sizeof guids);
    append(file, 0x60, 8); // header section 0: where, how long
    append(file, 0x18, 8);
    append(file, 0x78, 8); // header section 1 with the directory
    append(file, total - 0x78 - layout.content.size(), 8);
    append(file, contentStart, 8);

    append(file, 0x1FE, 4); // header section 0
    append(file, 0, 4);
    append(file, total, 8);
    append(file, 0, 8);

    file += "ITSP";
    append(file, 1, 4);
    append(file, 0x54, 4);
    append(file, 0x0A, 4);
    append(file, ChunkSize, 4);
    append(file, 2, 4); // quick-reference density
    append(file, layout.indexRoot == 0xFFFFFFFF ? 1 : 2, 4);
    append(file, layout.indexRoot, 4);
    append(file, layout.firstList, 4);
    append(file, layout.lastList, 4);
    append(file, 0xFFFFFFFF, 4);
    append(file, layout.chunks.size(), 4);
    append(file, 0x409, 4);
    file.append(16, '\0');
    append(file, 0x54, 4);
    file.append(12, '\xFF');

    for (const auto &chunk : layout.chunks)
        file += std::visit([](const auto &c) { return chunkBytes(c); }, chunk);
    return file + layout.content;
}

// Three pages: "/a.htm" and "/b.htm" stored, "/z.htm" compressed in a section the directory
// lists nothing of. Two list chunks and an index over them.
enum class ChmShape {
    Sound,
    CyclingChain, // no index, and the second list's "next" leads back to the first
    SelfIndex     // the index's only entry leads to the index itself
};

inline const char *PageA = "Page A";
inline const char *PageB = "Page B";

inline ChmLayout smallArchive(ChmShape shape) {
    ChmLayout layout;
    layout.content = std::string(PageA) + PageB;
    ChmListChunk first{{{"/a.htm", 0, 0, 6}}, 1};
    ChmListChunk second{{{"/b.htm", 0, 6, 6}, {"/z.htm", 1, 0, 10}}};
    ChmIndexChunk index{{{"/a.htm", 0}, {"/b.htm", 1}}};
    layout.firstList = 0;
    layout.lastList = 1;
    layout.indexRoot = 2;
    switch (shape) {
    case ChmShape::Sound:
        break;
    case ChmShape::CyclingChain:
        second.next = 0;
        layout.indexRoot = 0xFFFFFFFF;
        break;
    case ChmShape::SelfIndex:
        index.entries = {{"/", 2}};
        break;
    }
    layout.chunks = {first, second, index};
    return layout;
}

} // namespace help_test
