#pragma once

// The program's run, once the application object exists: the backdrop (with the
// single-instance guard), then the main window, then the event loop until the end is asked
// for; the windows are then destroyed, the main window first. Returns the exit code.
int runTavorim();
