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

// A line of resources/lang/keys.txt; its header says what the columns and flags mean.
struct KeyRow {
  std::string key;
  std::string section;
  std::string arguments;                    // "-" or the argument letters
  std::map<std::string, std::string> flags;  // "parts=3" as {"parts", "3"}
};

class LanguageFiles : public testing::Test {
 protected:
  void SetUp() override {
    std::ifstream in(kResources / "lang" / "keys.txt");
    for (std::string line; std::getline(in, line);) {
      if (line.empty() || line.front() == '#') continue;
      std::istringstream fields(line);
      KeyRow& row = rows_.emplace_back();
      fields >> row.key >> row.section >> row.arguments;
      EXPECT_TRUE(listed_.insert(row.key).second) << "listed twice: " << row.key;
      for (std::string flag; fields >> flag;) {
        const auto equals = flag.find('=');
        row.flags[flag.substr(0, equals)] = equals == std::string::npos ? "" : flag.substr(equals + 1);
      }
      // The program looks a key up in the section its prefix names.
      const bool prefixFits = (row.section == "strings" && row.key.starts_with("str")) ||
                              (row.section == "menus" && row.key.starts_with("menu")) ||
                              (row.section == "tooltips" && row.key.starts_with("ttip"));
      EXPECT_TRUE(prefixFits) << row.key << " in [" << row.section << "]";
    }
    ASSERT_GT(rows_.size(), 400u) << "keys.txt not found or damaged";
  }

  std::vector<KeyRow> rows_;
  std::set<std::string> listed_;
};

// Every language of LANG.INI, loaded through the manager as the program loads it.
TEST_F(LanguageFiles, EveryLanguageGivesEveryListedKeyAFittingText) {
  LanguageManager manager(kResources);
  ASSERT_EQ(manager.LanguageCount(), 2);
  EXPECT_EQ(manager.LanguageInfo(1)->name, "English");
  EXPECT_EQ(manager.LanguageInfo(2)->name, "Deutsch");
  for (int n = 1; n <= 2; ++n) {
    ASSERT_EQ(manager.LoadLanguage(n), LanguageLoadResult::Loaded) << "language " << n;
    EXPECT_EQ(manager.HelpFileViewer(), HelpViewer::HtmlPage) << "help file of language " << n;
    EXPECT_TRUE(fs::is_regular_file(manager.HelpFile())) << "help file of language " << n;
    // The toolbar and the message boxes name their keys by number: each must find a text.
    for (const int id : {kCommandFileNew, kCommandFileOpen, kCommandFileSave, kCommandDownload, kCommandUpload, kCommandAbout}) {
      EXPECT_NE(manager.GetTooltip(id), "") << "language " << n << ", command " << id;
    }
    for (const int id : {kButtonOk, kButtonCancel, kButtonYes, kButtonNo}) EXPECT_NE(manager.GetButtonText(id), "") << id;
    const auto file = IniFile::Load(manager.LanguageFile());
    ASSERT_TRUE(file.has_value());
    for (const char* section : {"strings", "menus", "tooltips"}) {
      for (const auto& key : file->Keys(section)) EXPECT_TRUE(listed_.contains(key)) << "language " << n << " has unlisted " << key;
    }
    std::map<std::string, std::set<std::string>> distinctGroups;
    for (const auto& row : rows_) {
      SCOPED_TRACE("language " + std::to_string(n) + ", " + row.key);
      const auto found = file->Find(row.section, row.key);
      EXPECT_TRUE(found.has_value()) << "missing";
      const std::string text(found.value_or(""));
      const auto flag = [&row](const char* name) -> const std::string* {
        const auto at = row.flags.find(name);
        return at == row.flags.end() ? nullptr : &at->second;
      };
      if (text.empty()) {
        EXPECT_TRUE(flag("optional")) << "empty text";
        continue;
      }
      EXPECT_EQ(row.arguments == "-" ? "-" : FormatSignature(text), row.arguments) << text;
      const auto bars = static_cast<std::size_t>(std::count(text.begin(), text.end(), '|'));
      if (const auto* parts = flag("parts")) {
        EXPECT_EQ(bars + 1, std::stoul(*parts)) << text;
      }
      if (const auto* pairs = flag("filter")) {
        // Pairs of description|pattern, each part ended by '|', none empty.
        EXPECT_TRUE(text.ends_with('|') && bars >= 2 && bars % 2 == 0) << text;
        EXPECT_TRUE(!text.starts_with('|') && text.find("||") == std::string::npos) << text;
        EXPECT_TRUE(pairs->empty() || bars / 2 == std::stoul(*pairs)) << text;
      }
      EXPECT_TRUE(!flag("token") || text.find_first_of(",- \t") == std::string::npos) << text;
      if (const auto* group = flag("distinct")) {
        EXPECT_TRUE(distinctGroups[*group].insert(text).second) << "repeats a text of its group: " << text;
      }
    }
  }
}

TEST_F(LanguageFiles, EveryKeyTheSourcesNameIsListed) {
  const std::regex keyLiteral(R"re("((?:str|menu|ttip)[A-Z][A-Za-z0-9_]*)(%d)?")re");
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(TUSKO_SOURCE_DIR)) {
    const auto extension = entry.path().extension();
    if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
    ++files;
    const std::string source = test::ReadFileText(entry.path());
    for (std::sregex_iterator it(source.begin(), source.end(), keyLiteral), end; it != end; ++it) {
      const std::string key = (*it)[1];
      bool found = listed_.contains(key);
      if ((*it)[2].matched) {  // a formed key ("strDay%d"): some numbered key of that stem must exist
        const std::regex formed(key + "[0-9]+");
        found = std::any_of(listed_.begin(), listed_.end(), [&](const std::string& k) { return std::regex_match(k, formed); });
      }
      EXPECT_TRUE(found) << (*it)[0] << " in " << entry.path();
    }
  }
  EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace tusko
