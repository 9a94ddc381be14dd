#include "app/gui/DesktopProgram.h"

int main(int argc, char** argv) { return tusko::gui::RunDesktopProgram(argc, argv); }
