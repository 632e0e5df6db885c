#pragma once

// The entry points of the help viewer module "hhctrl.ocx", shared by the module and its loader.
// A window handle is opaque; the viewer never parents its windows to the caller's.

#include <cstdint>

using HelpWindowHandle = void *;

// caller window, file text ("path[::/topic][>window]"), command, data -> viewer window or null
using HtmlHelpAFunction = HelpWindowHandle (*)(HelpWindowHandle caller, const char *file,
                                               std::uint32_t command, std::uintptr_t data);
using HtmlHelpWFunction = HelpWindowHandle (*)(HelpWindowHandle caller, const char16_t *file,
                                               std::uint32_t command, std::uintptr_t data);

// The three commands the program uses; the viewer answers any other with null.
constexpr std::uint32_t HH_DISPLAY_TOPIC = 0;
constexpr std::uint32_t HH_HELP_CONTEXT = 15;
constexpr std::uint32_t HH_CLOSE_ALL = 18;

// The module is a Qt plugin with this interface id and its file version under this metadata
// key, so a loader can read the version from the file without loading it.
#define HHCTRL_MODULE_IID "org.tavorim.HelpViewer"
#define HHCTRL_VERSION_KEY "FileVersion"
