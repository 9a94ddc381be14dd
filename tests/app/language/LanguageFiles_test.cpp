// Checks the delivered language files against the keys the program uses.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/language/IniFile.h"
#include "app/language/LanguageManager.h"
#include "app/language/TextKeys.h"
#include "base/SafeFormat.h"
#include "support/FileText.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

const fs::path kResources = TUSKO_RESOURCES_DIR;
const fs::path kSources = TUSKO_SOURCE_DIR;
constexpr std::string_view kPlainText = "-";
constexpr double kMaxSharedTextShare = 0.25;

struct KeyRow {
  std::string key;
  std::string section;
  std::string arguments;  // "-" or the argument letters
  std::set<std::string> flags;
};

std::vector<KeyRow> ReadKeyTable() {
  std::vector<KeyRow> rows;
  std::ifstream in(kResources / "lang" / "keys.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line.front() == '#') continue;
    std::istringstream fields(line);
    KeyRow row;
    fields >> row.key >> row.section >> row.arguments;
    for (std::string flag; fields >> flag;) row.flags.insert(flag);
    rows.push_back(row);
  }
  return rows;
}

std::optional<std::string> FlagValue(const KeyRow& row, const std::string& name) {
  for (const auto& flag : row.flags) {
    if (flag == name) return std::string();
    if (flag.starts_with(name + "=")) return flag.substr(name.size() + 1);
  }
  return std::nullopt;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (auto pos = text.find(separator); pos != std::string::npos; pos = text.find(separator, start)) {
    parts.push_back(text.substr(start, pos - start));
    start = pos + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

class LanguageFiles : public testing::Test {
 protected:
  void SetUp() override {
    rows_ = ReadKeyTable();
    ASSERT_GT(rows_.size(), 400u) << "keys.txt not found or damaged";
  }

  // Every language of LANG.INI, loaded through the manager as the program loads it.
  std::map<int, IniFile> LoadAll() {
    std::map<int, IniFile> languages;
    LanguageManager manager(kResources);
    for (int n = 1; n <= manager.LanguageCount(); ++n) {
      EXPECT_EQ(manager.LoadLanguage(n), LanguageLoadResult::Loaded) << "language " << n;
      const auto file = IniFile::Load(manager.LanguageFile());
      EXPECT_TRUE(file.has_value());
      if (file) languages.emplace(n, *file);
      EXPECT_TRUE(fs::is_regular_file(manager.HelpFile())) << "help file of language " << n;
      EXPECT_EQ(manager.HelpFileViewer(), HelpViewer::HtmlPage);
    }
    return languages;
  }

  std::vector<KeyRow> rows_;
};

TEST_F(LanguageFiles, TheKeyTableIsConsistent) {
  std::set<std::string> seen;
  for (const auto& row : rows_) {
    EXPECT_TRUE(seen.insert(AsciiLower(row.key)).second) << "listed twice: " << row.key;
    const bool prefixFits = (row.section == "strings" && row.key.starts_with("str")) ||
                            (row.section == "menus" && row.key.starts_with("menu")) ||
                            (row.section == "tooltips" && row.key.starts_with("ttip"));
    EXPECT_TRUE(prefixFits) << row.key << " in [" << row.section << "]";
    EXPECT_TRUE(row.arguments == kPlainText || row.arguments.find_first_not_of("dfs") == std::string::npos)
        << row.key;
  }
}

TEST_F(LanguageFiles, TwoTranslatedLanguagesDefineExactlyTheListedKeys) {
  LanguageManager manager(kResources);
  ASSERT_EQ(manager.LanguageCount(), 2);
  EXPECT_EQ(manager.LanguageInfo(1)->name, "English");
  EXPECT_EQ(manager.LanguageInfo(2)->name, "Deutsch");
  const auto languages = LoadAll();
  ASSERT_EQ(languages.size(), 2u);
  std::map<std::string, std::set<std::string>> listed;
  for (const auto& row : rows_) listed[row.section].insert(AsciiLower(row.key));
  for (const auto& [number, file] : languages) {
    for (const auto& [section, keys] : listed) {
      std::set<std::string> defined;
      for (const auto& key : file.Keys(section)) defined.insert(AsciiLower(key));
      for (const auto& key : keys) EXPECT_TRUE(defined.contains(key)) << "language " << number << " lacks " << key;
      for (const auto& key : defined) EXPECT_TRUE(keys.contains(key)) << "language " << number << " has unlisted " << key;
    }
  }
  // Translated, not copied: two languages share names, numbers and abbreviations, but not most texts.
  int compared = 0, shared = 0;
  for (const auto& row : rows_) {
    const std::string first = languages.at(1).GetString(row.section, row.key);
    if (first.empty()) continue;
    ++compared;
    if (first == languages.at(2).GetString(row.section, row.key)) ++shared;
  }
  EXPECT_LT(shared, compared * kMaxSharedTextShare) << shared << " of " << compared << " texts are the same";
}

TEST_F(LanguageFiles, TextsFitHowTheProgramUsesThem) {
  for (const auto& [number, file] : LoadAll()) {
    std::map<std::string, std::set<std::string>> distinctGroups;
    for (const auto& row : rows_) {
      SCOPED_TRACE("language " + std::to_string(number) + ", " + row.key);
      const std::string text = file.GetString(row.section, row.key);
      const bool optional = FlagValue(row, "optional").has_value();
      if (text.empty()) {
        EXPECT_TRUE(optional) << "empty text";
        continue;
      }
      if (row.arguments != kPlainText) {
        EXPECT_EQ(FormatSignature(text), row.arguments) << text;
      }
      if (const auto parts = FlagValue(row, "parts")) {
        EXPECT_EQ(Split(text, '|').size(), std::stoul(*parts)) << text;
      }
      if (const auto filters = FlagValue(row, "filter")) {
        auto parts = Split(text, '|');
        ASSERT_TRUE(parts.size() >= 3 && parts.back().empty()) << "a filter ends with '|': " << text;
        parts.pop_back();
        EXPECT_EQ(parts.size() % 2, 0u) << text;
        for (const auto& part : parts) EXPECT_FALSE(part.empty()) << text;
        if (!filters->empty()) {
          EXPECT_EQ(parts.size() / 2, std::stoul(*filters)) << text;
        }
      }
      if (FlagValue(row, "token")) {
        EXPECT_EQ(text.find_first_of(",- \t"), std::string::npos) << text;
      }
      if (const auto group = FlagValue(row, "distinct")) {
        EXPECT_TRUE(distinctGroups[*group].insert(text).second) << "repeats a text of its group: " << text;
      }
    }
  }
}

TEST_F(LanguageFiles, EveryKeyTheSourcesNameIsListed) {
  std::set<std::string> listed;
  for (const auto& row : rows_) listed.insert(row.key);
  const std::regex keyLiteral(R"re("((?:str|menu|ttip)[A-Z][A-Za-z0-9_]*)(%d)?")re");
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(kSources)) {
    const auto extension = entry.path().extension();
    if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
    ++files;
    const std::string source = test::ReadFileText(entry.path());
    for (std::sregex_iterator it(source.begin(), source.end(), keyLiteral), end; it != end; ++it) {
      const std::string key = (*it)[1];
      if (!(*it)[2].matched) {
        EXPECT_TRUE(listed.contains(key)) << key << " in " << entry.path();
        continue;
      }
      // A formed key ("strDay%d"): some numbered key of that stem must exist.
      const std::regex formed(key + "[0-9]+");
      const bool any = std::any_of(listed.begin(), listed.end(), [&](const std::string& k) { return std::regex_match(k, formed); });
      EXPECT_TRUE(any) << key << "%d in " << entry.path();
    }
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace tusko
