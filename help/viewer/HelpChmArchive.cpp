#include "HelpChmArchive.h"

#include "RegularFile.h"

#include "HelpChmParsers.h"

#include <mspack.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace tavorim {

namespace {

// libmspack reads the archive through stdio and writes what it extracts into the string
// its system currently points at.
struct ArchiveFile {
    std::FILE *stream = nullptr;
    std::string *sink = nullptr;
};

struct MemorySystem {
    mspack_system base; // first, so that the library's pointer to it leads back here
    std::string *sink = nullptr;
};

// Only a regular file is read: a FIFO would wait for a writer for ever, a device never ends.
std::FILE *openArchiveStream(const char *filename) {
    const int fd = openRegularFile(filename);
    if (fd < 0)
        return nullptr;
    std::FILE *stream = ::fdopen(fd, "rb");
    if (!stream)
        ::close(fd);
    return stream;
}

mspack_file *openFile(mspack_system *self, const char *filename, int mode) {
    auto *file = new ArchiveFile;
    if (mode == MSPACK_SYS_OPEN_READ) {
        file->stream = openArchiveStream(filename);
        if (!file->stream) {
            delete file;
            return nullptr;
        }
    } else {
        file->sink = reinterpret_cast<MemorySystem *>(self)->sink;
        if (!file->sink) {
            delete file;
            return nullptr;
        }
    }
    return reinterpret_cast<mspack_file *>(file);
}

ArchiveFile *asFile(mspack_file *file) {
    return reinterpret_cast<ArchiveFile *>(file);
}

void closeFile(mspack_file *file) {
    ArchiveFile *f = asFile(file);
    if (f && f->stream)
        std::fclose(f->stream);
    delete f;
}

int readFile(mspack_file *file, void *buffer, int bytes) {
    ArchiveFile *f = asFile(file);
    if (!f || !f->stream || bytes < 0)
        return -1;
    const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(bytes), f->stream);
    return std::ferror(f->stream) ? -1 : static_cast<int>(got);
}

int writeFile(mspack_file *file, void *buffer, int bytes) {
    ArchiveFile *f = asFile(file);
    if (!f || !f->sink || bytes < 0 ||
        f->sink->size() + static_cast<std::size_t>(bytes) >
            static_cast<std::size_t>(ChmArchive::MaxFileSize))
        return -1;
    f->sink->append(static_cast<const char *>(buffer), static_cast<std::size_t>(bytes));
    return bytes;
}

int seekFile(mspack_file *file, off_t offset, int mode) {
    ArchiveFile *f = asFile(file);
    if (!f || !f->stream)
        return -1;
    const int whence = mode == MSPACK_SYS_SEEK_START ? SEEK_SET
                       : mode == MSPACK_SYS_SEEK_CUR ? SEEK_CUR
                                                     : SEEK_END;
    return fseeko(f->stream, offset, whence) == 0 ? 0 : -1;
}

off_t tellFile(mspack_file *file) {
    ArchiveFile *f = asFile(file);
    if (!f)
        return -1;
    if (f->sink)
        return static_cast<off_t>(f->sink->size());
    return ftello(f->stream);
}

// The library's warnings about damaged files are not for the pupil.
void ignoreMessage(mspack_file *, const char *, ...) {}

void *allocate(mspack_system *, std::size_t bytes) {
    return std::malloc(bytes);
}
void release(void *pointer) {
    std::free(pointer);
}
void copy(void *source, void *destination, std::size_t bytes) {
    std::memmove(destination, source, bytes);
}

MemorySystem makeSystem() {
    MemorySystem memory;
    mspack_system &system = memory.base;
    system.open = openFile;
    system.close = closeFile;
    system.read = readFile;
    system.write = writeFile;
    system.seek = seekFile;
    system.tell = tellFile;
    system.message = ignoreMessage;
    system.alloc = allocate;
    system.free = release;
    system.copy = copy;
    system.null_ptr = nullptr;
    return memory;
}

} // namespace

struct ChmArchive::Impl {
    MemorySystem system = makeSystem();
    mschm_decompressor *decompressor = nullptr;
    mschmd_header *header = nullptr;
    std::string path;
    // Every entry of the directory's lists, sorted by name: the archive's own index and chunk chain
    // can loop for ever in a damaged file.
    std::vector<mschmd_file *> byName;
    // Empty stand-ins for a missing reset table and span record, so that decompression fails rather
    // than the library searching the looping index for them.
    mschmd_file noResetTable{};
    mschmd_file noSpanInfo{};

    void buildIndex() {
        for (mschmd_file *file = header->files; file; file = file->next)
            byName.push_back(file);
        // Stable, so that of two entries with one name the first listed wins.
        std::stable_sort(byName.begin(), byName.end(),
                         [](const mschmd_file *a, const mschmd_file *b) {
                             return archiveNameLess(a->filename, b->filename);
                         });
        if (!header->sec1.rtable)
            header->sec1.rtable = &noResetTable;
        if (!header->sec1.spaninfo)
            header->sec1.spaninfo = &noSpanInfo;
    }

    mschmd_file *find(std::string_view name) const {
        const auto found = std::lower_bound(byName.begin(), byName.end(), name,
                                            [](const mschmd_file *file, std::string_view key) {
                                                return archiveNameLess(file->filename, key);
                                            });
        if (found == byName.end() || archiveNameLess(name, (*found)->filename))
            return nullptr;
        return *found;
    }

    ~Impl() {
        if (decompressor) {
            if (header)
                decompressor->close(decompressor, header);
            mspack_destroy_chm_decompressor(decompressor);
        }
    }
};

ChmArchive::ChmArchive(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {
    for (mschmd_file *file = impl_->header->files; file; file = file->next)
        if (file->filename)
            files_.emplace_back(file->filename);
}

ChmArchive::~ChmArchive() = default;

std::unique_ptr<ChmArchive> ChmArchive::open(const std::string &path) {
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->decompressor = mspack_create_chm_decompressor(&impl->system.base);
    if (!impl->decompressor)
        return nullptr;
    impl->header = impl->decompressor->open(impl->decompressor, impl->path.c_str());
    if (!impl->header)
        return nullptr;
    impl->buildIndex();
    return std::unique_ptr<ChmArchive>(new ChmArchive(std::move(impl)));
}

std::optional<std::string> ChmArchive::read(std::string_view name) const {
    mschmd_file *found = impl_->find(name);
    if (!found || !found->section)
        return std::nullopt;
    if (found->length < 0 || found->length > MaxFileSize)
        return std::nullopt;
    // A compressed file needs its section's content and control entries from the lists;
    // without them the library would go looking through the index.
    if (found->section->id == 1 && (!impl_->header->sec1.content || !impl_->header->sec1.control))
        return std::nullopt;
    std::string content;
    if (found->length == 0)
        return content;
    impl_->system.sink = &content;
    const int result = impl_->decompressor->extract(impl_->decompressor, found, "memory");
    impl_->system.sink = nullptr;
    if (result != MSPACK_ERR_OK)
        return std::nullopt;
    return content;
}

} // namespace tavorim
