#pragma once

#include <string_view>

namespace tusko {

// The version a configuration image of this program is made for.
inline constexpr std::string_view kProgramDataVersion = "1.2.0.0";

// True when both texts start with the same "major.minor." numbers. A text
// that does not start that way agrees with nothing.
bool VersionsAgree(std::string_view firmware, std::string_view program);

}  // namespace tusko
