#pragma once

#include "config/ConfigurationImage.h"

namespace tusko::sim {

// The configuration a simulated gateway starts with unless it is given one: a
// new configuration with a name, a few LCR routing rules, LCR CLIP and CLIP
// from GSM entries and two mobility extensions. Every counted table holds its
// entries first and nothing but 0xFF after them.
ConfigurationImage MakeSampleConfiguration();

}  // namespace tusko::sim
