#pragma once

// The program's start: reads the settings beside the program and shows the main window.

namespace snapvale {

// Runs the whole program; returns its exit code when the last window has closed.
int Main(int argc, char** argv);

} // namespace snapvale
