#pragma once

// The help viewer loader: "hhctrl.ocx" is loaded once at start-up and freed at the very end,
// after every help window has been closed.

#include "HtmlHelpApi.h"

#include <QString>

namespace tavorim {

// Where the loader looks; with no registry here, the default answers "no value" and both system
// folders are the program folder. Tests install their own.
class HelpEnvironment {
public:
    virtual ~HelpEnvironment() = default;
    // The default value of the key under HKEY_CLASSES_ROOT; false when there is none.
    virtual bool readRegistryDefault(const QString &key, QString &value) const;
    // Folders without a trailing separator...
    virtual QString windowsFolder() const;
    virtual QString systemFolder() const;
    // The temporary folder of the trace: the user's private folder, empty when there is none.
    virtual QString tempFolder() const;
    // ...except the program folder, which keeps it, as the application object gives it.
    virtual QString programFolder() const;
};

const HelpEnvironment &currentHelpEnvironment();
// Tests: nullptr restores the default environment.
void setHelpEnvironmentForTests(const HelpEnvironment *environment);

inline constexpr char HelpControlFileName[] = "hhctrl.ocx";
inline constexpr char HelpControlRegistryKey[] =
    "CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32";

// The viewer's entry points; null while the module is not loaded. HtmlHelpW is looked up
// too and never called.
extern HtmlHelpAFunction HtmlHelpA;
extern HtmlHelpWFunction HtmlHelpW;

// The help control is installed: set once at start-up from hhControlInstalled().
extern bool _hhInstalled;

// Loads the module once: "hhctrl.ocx" by the library search (program folder first), else the
// registered control file; then looks up the entry points.
void HHLoadViewer();
// Frees the module and nulls the entry points.
void HHReleaseViewer();
bool hhViewerLoaded();

// The registry's control file ("%SystemRoot%", any case, made the Windows folder; dropped when
// missing), else the system folder + "hhctrl.ocx". The file may not exist.
QString hhRegisteredControlPath();
// The version a module file carries, read from the file without loading it; empty when the
// file is missing or carries none.
QString hhFileVersion(const QString &path);
// The registered control file exists and carries a file version.
bool hhControlInstalled();

// The caller handle that stands for the desktop: the viewer's windows have no owner.
HelpWindowHandle desktopWindow();

} // namespace tavorim
