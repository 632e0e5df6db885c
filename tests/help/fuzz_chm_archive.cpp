// Drives the archive reader itself from bytes: the library's opening of the file, the
// directory, lookups and extraction. An input that starts with "ITSF" is a whole file; any
// other is a list of edits to one of the small files made here (among them directories that
// loop) or to the program's own help file, so that the search starts from files that open.

#include "ChmBuilder.h"
#include "HelpChmArchive.h"
#include "HelpChmParsers.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace {

std::vector<std::string> bases;
int memoryFile = -1;
std::string memoryPath;

// A read is stopped after this many names: the sizes of what is extracted are the archive's
// own business, the time of a run is ours.
constexpr std::size_t NamesRead = 8;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    using help_test::ChmShape;
    for (const ChmShape shape : {ChmShape::Sound, ChmShape::CyclingChain, ChmShape::SelfIndex})
        bases.push_back(help_test::buildChm(help_test::smallArchive(shape)));
    std::ifstream built(TAVORIM_HELP_FILE, std::ios::binary);
    const std::string helpFile{std::istreambuf_iterator<char>(built), {}};
    if (!helpFile.empty())
        bases.push_back(helpFile);
    memoryFile = ::memfd_create("archive", MFD_CLOEXEC);
    if (memoryFile < 0) {
        std::perror("memfd_create");
        return 1;
    }
    memoryPath = "/proc/self/fd/" + std::to_string(memoryFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string input(reinterpret_cast<const char *>(data), size);
    std::string file;
    if (input.rfind("ITSF", 0) == 0) {
        file = input;
    } else {
        // The first byte picks the file; then edits of [offset low, offset high, length, bytes].
        file = bases[input.empty() ? 0 : std::uint8_t(input[0]) % bases.size()];
        for (std::size_t pos = 1; pos + 3 <= input.size() && !file.empty();) {
            const std::size_t at =
                (std::uint8_t(input[pos]) | std::size_t(std::uint8_t(input[pos + 1])) << 8) %
                file.size();
            const std::size_t length =
                std::min<std::size_t>(std::uint8_t(input[pos + 2]), input.size() - pos - 3);
            file.replace(at, std::min(length, file.size() - at), input, pos + 3, length);
            pos += 3 + length;
        }
    }
    if (::ftruncate(memoryFile, 0) != 0 ||
        ::pwrite(memoryFile, file.data(), file.size(), 0) != ssize_t(file.size()))
        return 0;

    const auto archive = tavorim::ChmArchive::open(memoryPath);
    if (!archive)
        return 0;
    std::size_t read = 0;
    for (const std::string &name : archive->files()) {
        if (read++ == NamesRead)
            break;
        (void)archive->read(name);
    }
    if (const auto system = archive->read("/#SYSTEM"))
        (void)tavorim::parseSystemFile(*system);
    (void)archive->read("/absent.htm");
    (void)archive->read("/A.HTM");
    return 0;
}
