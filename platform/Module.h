#pragma once

#include <QString>

namespace tavorim {

// A shared library the program opens at run time, and the entry points it exports. The object
// never closes it: a module whose threads may outlive a call (audio, web) must stay loaded to
// the end of the process, so only unload() closes one, and only for a module that leaves nothing
// running behind it.
class Module {
public:
    Module() = default;
    Module(const Module &) = delete;
    Module &operator=(const Module &) = delete;

    // The folder the program's own modules are found in: set once by the entry routine to the
    // program's folder (tests set theirs), read on the user-interface thread.
    static void setFolder(const QString &folder);
    // A module file's path in that folder; the bare name while no folder is set.
    static QString pathOf(const QString &fileName);

    // Opens the library at path (a bare name goes through the system's library search),
    // resolving all its symbols now; false when it cannot be opened. Safe on any thread: no Qt
    // object is made. Nothing is done when one is loaded already.
    bool load(const QString &path);
    bool isLoaded() const;
    // An exported entry point; null when nothing is loaded or the module lacks it.
    template <typename Function> Function resolve(const char *name) const {
        return reinterpret_cast<Function>(resolveSymbol(name));
    }
    // Closes the library; never for a module whose threads may still run.
    void unload();

private:
    void *resolveSymbol(const char *name) const;

    void *handle_ = nullptr;
};

} // namespace tavorim
