#pragma once

// The backdrop (with the single-instance guard), the main window and the event loop; the windows
// are then destroyed, the main window first. Returns the exit code.
int runTavorim();
