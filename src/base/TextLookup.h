#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tusko {

// A text of the current language by its key: what a layer below the language
// files needs of them.
using TextLookup = std::function<std::string(std::string_view key)>;

}  // namespace tusko
