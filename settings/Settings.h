#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavorim {

// What a teacher sets for every pupil: the system's settings file, then the command line, each
// overriding the one before; an unset setting keeps the ordinary behaviour.
struct Settings {
    // "off", or the address the exit report goes to instead of the built-in one.
    std::optional<std::string> report;
    // The level at start: 1, 2 or 3.
    std::optional<int> level;
    // The sound cues at start.
    std::optional<bool> sound;
    // Whether the pupil may not switch the sound cues ("&Son" greyed, showing its state).
    std::optional<bool> soundLocked;
    // Where each value came from, in French ("ligne 2 de …", "option --level", "par défaut"),
    // for the administrator who checks them.
    struct Origins {
        std::string report, level, sound, soundLocked;
    } from;
};

// The settings with each unset one at its default: level I, sound off and switchable, and the
// report to builtInReport ("off" for a program built without one).
Settings withDefaults(Settings settings, std::string_view builtInReport);

// The longest line and file read: anything longer is no settings file a person wrote.
inline constexpr std::size_t LongestSettingsLine = 1024;
inline constexpr std::size_t LargestSettingsFile = 64 * 1024;

// Reads the settings file's text into settings. Each line that cannot be used is left out and
// named, in French with the file's name, in problems; the other lines still count. A refused
// line meant for the report switches it off: an administrator's "off" must not fail open.
void readSettingsFile(std::string_view text, std::string_view fileName, Settings &settings,
                      std::vector<std::string> &problems);

// Asks the program to print the settings it would run with, and end.
inline constexpr std::string_view ShowSettingsOption = "--show-settings";

// Reads "--level=II" and the like; arguments not starting with "--" are passed over, and a bad
// option is named in problems (a refused report option switches the report off).
void readSettingsOptions(const std::vector<std::string> &arguments, Settings &settings,
                         std::vector<std::string> &problems);

// The settings in the file's own format, each "key = value" under a comment saying where it
// came from; unset ones left out.
std::string describeSettings(const Settings &settings);

} // namespace tavorim
