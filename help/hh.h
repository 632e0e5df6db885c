#pragma once

// The help viewer loader: "hhctrl.ocx" is loaded once at start-up and freed at the very end,
// after every help window has been closed.

#include "HtmlHelpApi.h"

#include <QString>

namespace tavorim {

// Where the loader looks. Nothing registers the control here and the system folder is the
// program folder.
class HelpEnvironment {
public:
    virtual ~HelpEnvironment() = default;
    // The control file the system registered, empty when there is none. A Windows back-end reads
    // here the default value of the control's InprocServer32 key under HKEY_CLASSES_ROOT (CLSID
    // {adb880a6-d8ff-11cf-9377-00aa003b7a11}), a leading "%SystemRoot%" (any case) made the
    // Windows folder.
    virtual QString registeredControlFile() const;
    // Without a trailing separator...
    virtual QString systemFolder() const;
    // The temporary folder of the trace: the user's private folder, empty when there is none.
    virtual QString tempFolder() const;
    // ...except the program folder, which keeps it.
    virtual QString programFolder() const;
};

const HelpEnvironment &currentHelpEnvironment();
// Puts another environment in place; nullptr puts the program's own back.
void setHelpEnvironment(const HelpEnvironment *environment);

inline constexpr char HelpControlFileName[] = "hhctrl.ocx";

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

// The registered control file (dropped when missing), else the system folder + "hhctrl.ocx".
// The file may not exist.
QString hhRegisteredControlPath();
// The version a module file carries, read from the file without loading it; empty when the
// file is missing or carries none.
QString hhFileVersion(const QString &path);
// The registered control file exists and carries a file version.
bool hhControlInstalled();

// The caller handle that stands for the desktop: the viewer's windows have no owner.
HelpWindowHandle desktopWindow();

} // namespace tavorim
