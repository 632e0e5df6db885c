#pragma once

// A compiled help file opened for reading, on libmspack.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavorim {

class ChmArchive {
public:
    // Null when the file is missing or is no readable compiled help file.
    static std::unique_ptr<ChmArchive> open(const std::string &path);
    ~ChmArchive();
    ChmArchive(const ChmArchive &) = delete;
    ChmArchive &operator=(const ChmArchive &) = delete;

    // The content of an archive file ("/dir/page.htm", "#SYSTEM"...); null when it is
    // missing, larger than MaxFileSize or cannot be decompressed.
    static constexpr long long MaxFileSize = 32LL * 1024 * 1024;
    std::optional<std::string> read(std::string_view name) const;

    // The names of the content files (not the internal "#" and "$" ones), with leading "/".
    const std::vector<std::string> &files() const { return files_; }

private:
    struct Impl;
    explicit ChmArchive(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
    std::vector<std::string> files_;
};

} // namespace tavorim
