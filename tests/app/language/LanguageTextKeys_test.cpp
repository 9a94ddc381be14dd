#include "app/language/TextKeys.h"

#include <gtest/gtest.h>

#include <string>

namespace tusko {
namespace {

TEST(TextKeys, KeyKindsAndExemptControls) {
  EXPECT_TRUE(IsWindowCaptionKey("strAbout"));
  for (const char* key : {"strabout", "str", "StrAbout"}) EXPECT_FALSE(IsWindowCaptionKey(key)) << key;
  for (const char* key : {"strGsmModule1", "strlowercase", "str"}) EXPECT_TRUE(IsControlTextKey(key)) << key;
  EXPECT_FALSE(IsControlTextKey("Str"));
  for (const int id : {1360, 1366}) EXPECT_FALSE(IsUntranslatedControl(id)) << id;
  for (const int id : {1361, 1365}) EXPECT_TRUE(IsUntranslatedControl(id)) << id;
  for (const int id : {1363, 1369}) EXPECT_FALSE(ForgetsControlKey(id)) << id;
  for (const int id : {1366, 1041}) EXPECT_TRUE(ForgetsControlKey(id)) << id;
}

TEST(TextKeys, LineBreaksAndMenuShortcuts) {
  const struct { const char* text; const char* expected; } rows[] = {
      {"first\\nsecond", "first \nsecond"}, {"a\\nb\\nc", "a \nb \nc"}, {"a\\n", "a \n"},
      {"a\\Nb", "a\\Nb"} /* upper-case N kept */, {"a\\", "a\\"}, {"a\\\\nb", "a\\ \nb"} /* double backslash */};
  for (const auto& row : rows) EXPECT_EQ(ReplaceLineBreaks(row.text), row.expected) << row.text;
  // In a popup menu only the first backslash separates the shortcut.
  EXPECT_EQ(PopupMenuItemText("a\\b\\c"), "a\tb\\c");
  EXPECT_EQ(PopupMenuItemText("plain"), "plain");
}

TEST(TextKeys, HelpViewerIsChosenByName) {
  // `contents`: the one ".cnt" file that exists ("*": any), asked for in the help file's case.
  const struct { const char* file; const char* contents; HelpViewer expected; } rows[] = {
      {"", "", HelpViewer::None},
      {"Help/TUSKO.CHM", "", HelpViewer::CompiledHtml},
      {"x.chm.bak", "", HelpViewer::CompiledHtml},  // the mark may sit inside the name
      {"help/en/index.html", "", HelpViewer::HtmlPage},
      {"HELP.HTM", "", HelpViewer::HtmlPage},
      {"/Data/Tusko.HLP", "/Data/Tusko.cnt", HelpViewer::WinHelpFinder},
      {"/Data/Tusko.HLP", "/Data/Tusko.CNT", HelpViewer::WinHelpContents},
      {"tusko", "*", HelpViewer::WinHelpContents},
      {"a.hl", "*", HelpViewer::WinHelpContents}};
  for (const auto& row : rows) {
    const auto exists = [&row](const std::string& path) { return row.contents == std::string("*") || path == row.contents; };
    EXPECT_EQ(ChooseHelpViewer(row.file, exists), row.expected) << row.file << " " << row.contents;
  }
}

}  // namespace
}  // namespace tusko
