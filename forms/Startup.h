#pragma once

#include "Web.h"

// The backdrop (with the single-instance guard), the main window and the event loop; the windows
// are then destroyed, the main window first. The exit report goes through the web given.
// Returns the exit code.
int runTavorim(tavorim::WebAccess &web = tavorim::systemWeb());
