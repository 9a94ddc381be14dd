#pragma once

#include <string>

#include "app/settings/ProgramSettings.h"
#include "link/LinkState.h"

namespace tusko {

class LanguageManager;

// The status bar's one text: the link the settings name and its state, e.g.
// "TCP: 192.168.0.10 - Connected".
std::string LinkStatusText(const ProgramSettings& settings, LinkState state, const LanguageManager& language);

}  // namespace tusko
