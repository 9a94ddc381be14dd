#include "cli/BuiltInSimulator.h"

namespace tusko::cli {

// No pacing, no faults and a silent log: the tool's output is the tool's own.
BuiltInSimulator::BuiltInSimulator(EventLoop& loop) : server_(loop, model_, {}, 0, [](std::string_view) {}) {}

}  // namespace tusko::cli
