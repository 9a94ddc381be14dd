#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace tusko {
namespace {

namespace fs = std::filesystem;

// The layers of src/ from the bottom up and, for each, the layers its files may
// include besides its own. Includes point down only: a layer never includes one
// above it or beside it. docs/architecture.md draws the same table.
using LayerRule = std::pair<std::string, std::set<std::string>>;
const std::vector<LayerRule> kAllowedIncludes = {
    {"base", {}},
    {"protocol", {"base"}},
    {"link", {"base", "protocol"}},
    {"config", {"base"}},
    {"protocol/engine", {"base", "protocol", "link", "config"}},
    {"monitor", {"base", "protocol", "link", "config", "protocol/engine"}},
    {"app/settings", {"base"}},
    {"app/language", {"base"}},
    {"app/session",
     {"base", "protocol", "link", "config", "protocol/engine", "monitor", "app/settings", "app/language"}},
    // The gateway model speaks the protocol through the frame codec and keeps
    // the configuration image; the engine's rules stay out of it.
    {"sim", {"base", "protocol", "link", "config"}},
    {"cli",
     {"base", "protocol", "link", "config", "protocol/engine", "monitor", "app/settings", "app/language",
      "app/session", "sim"}},
    {"app/gui",
     {"base", "protocol", "link", "config", "protocol/engine", "monitor", "app/settings", "app/language",
      "app/session"}},
};

// The layer of a path below src/. The generated version header belongs to base.
std::string LayerOf(const std::string& path) {
  if (path == "Version.h") return "base";
  const auto slash = path.find('/');
  if (slash == std::string::npos) return path;
  const std::string top = path.substr(0, slash);
  const auto second = path.find('/', slash + 1);
  if ((top == "app" || top == "protocol") && second != std::string::npos) return path.substr(0, second);
  return top;
}

TEST(IncludeLayers, EveryIncludePointsDown) {
  const fs::path sources = TUSKO_SOURCE_DIR;
  const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
  std::vector<std::string> wrong;
  std::size_t includes = 0;
  for (const auto& entry : fs::recursive_directory_iterator(sources)) {
    const auto extension = entry.path().extension();
    if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h" && extension != ".in")) continue;
    const std::string file = fs::relative(entry.path(), sources).generic_string();
    if (file.find('/') == std::string::npos) continue;  // Version.h.in
    const std::string layer = LayerOf(file);
    const auto allowed = std::ranges::find(kAllowedIncludes, layer, &LayerRule::first);
    if (allowed == kAllowedIncludes.end()) {
      wrong.push_back(file + ": folder not in the table");
      continue;
    }
    std::ifstream in(entry.path());
    std::string line;
    std::smatch match;
    while (std::getline(in, line)) {
      if (!std::regex_search(line, match, include)) continue;
      ++includes;
      const std::string target = LayerOf(match[1]);
      if (target != layer && !allowed->second.contains(target)) wrong.push_back(file + " -> " + std::string(match[1]));
    }
  }
  EXPECT_GT(includes, 100u) << "the sources were not found in " << sources;
  std::string list;
  for (const std::string& w : wrong) list += "\n  " + w;
  EXPECT_TRUE(wrong.empty()) << "includes against the layers:" << list;
}

// Each layer names only layers listed before it, so that no cycle can hide in the table.
TEST(IncludeLayers, TableListsEveryLayerAboveTheLayersItIncludes) {
  std::set<std::string> below;
  for (const auto& [layer, allowed] : kAllowedIncludes) {
    EXPECT_TRUE(std::includes(below.begin(), below.end(), allowed.begin(), allowed.end())) << layer;
    below.insert(layer);
  }
}

}  // namespace
}  // namespace tusko
