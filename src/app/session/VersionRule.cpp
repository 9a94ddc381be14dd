#include "app/session/VersionRule.h"

#include <charconv>
#include <optional>
#include <utility>

namespace tusko {

namespace {

// "%d.%d." read from the start of the text.
std::optional<std::pair<int, int>> MajorMinor(std::string_view text) {
  int major = 0;
  int minor = 0;
  const char* end = text.data() + text.size();
  auto [p, error] = std::from_chars(text.data(), end, major);
  if (error != std::errc() || p == end || *p != '.') return std::nullopt;
  auto [q, error2] = std::from_chars(p + 1, end, minor);
  if (error2 != std::errc() || q == end || *q != '.') return std::nullopt;
  return std::pair{major, minor};
}

}  // namespace

bool VersionsAgree(std::string_view firmware, std::string_view program) {
  const auto a = MajorMinor(firmware);
  return a && a == MajorMinor(program);
}

}  // namespace tusko
