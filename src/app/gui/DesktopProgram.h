#pragma once

namespace tusko::gui {

// The desktop program from start to end: settings, "-comlog", language, the
// instance mark, the main window and its USB watch, the event loop, and the
// file settings saved at the end. Every start-up failure ends with 0; only a
// language that does not load says why.
int RunDesktopProgram(int argc, char** argv);

}  // namespace tusko::gui
