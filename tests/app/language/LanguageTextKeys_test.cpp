#include "app/language/TextKeys.h"

#include <gtest/gtest.h>

#include <string>

namespace tusko {
namespace {

TEST(TextKeys, KeyKindsAndExemptControls) {
  EXPECT_TRUE(IsWindowCaptionKey("strAbout"));
  for (const char* key : {"strabout", "str", "StrAbout", "About"}) EXPECT_FALSE(IsWindowCaptionKey(key)) << key;
  for (const char* key : {"strGsmModule1", "strlowercase", "str"}) EXPECT_TRUE(IsControlTextKey(key)) << key;
  EXPECT_FALSE(IsControlTextKey("Str"));
  EXPECT_FALSE(IsControlTextKey(""));
  for (const int id : {1360, 1366}) EXPECT_FALSE(IsUntranslatedControl(id)) << id;
  for (const int id : {1361, 1365}) EXPECT_TRUE(IsUntranslatedControl(id)) << id;
  for (const int id : {1363, 1369}) EXPECT_FALSE(ForgetsControlKey(id)) << id;
  for (const int id : {1366, 1041}) EXPECT_TRUE(ForgetsControlKey(id)) << id;
}

TEST(TextKeys, LineBreaksBecomeABlankAndALineFeed) {
  const struct { const char* text; const char* expected; } rows[] = {
      {"first\\nsecond", "first \nsecond"}, {"a\\nb\\nc", "a \nb \nc"}, {"a\\n", "a \n"},
      {"a\\Nb", "a\\Nb"} /* upper-case N kept */, {"a\\b", "a\\b"}, {"a\\", "a\\"},
      {"a\\\\nb", "a\\ \nb"} /* double backslash */, {"", ""}};
  for (const auto& row : rows) EXPECT_EQ(ReplaceLineBreaks(row.text), row.expected) << row.text;
}

TEST(TextKeys, PopupMenuTextsTakeTheFirstBackslashAsTab) {
  EXPECT_EQ(PopupMenuItemText("&New\\Ctrl+N"), "&New\tCtrl+N");
  EXPECT_EQ(PopupMenuItemText("a\\b\\c"), "a\tb\\c");
  EXPECT_EQ(PopupMenuItemText("plain"), "plain");
}

TEST(TextKeys, TooltipAndButtonKeys) {
  const struct { int command; const char* key; } tooltips[] = {{57600, "ttipNew"},      {57601, "ttipOpen"},
                                                               {57603, "ttipSave"},     {32780, "ttipDownload"},
                                                               {32781, "ttipUpload"},   {57664, "ttipAbout"}};
  for (const auto& row : tooltips) EXPECT_EQ(TooltipKey(row.command), row.key);
  EXPECT_FALSE(TooltipKey(57602).has_value()) << "Close has no toolbar button";
  EXPECT_EQ(ButtonTextKey(1), "strOK");
  EXPECT_EQ(ButtonTextKey(2), "strCancel");
  EXPECT_EQ(ButtonTextKey(6), "strYes");
  EXPECT_EQ(ButtonTextKey(7), "strNo");
  EXPECT_EQ(ButtonTextKey(3), "");
}

TEST(TextKeys, HelpViewerIsChosenByName) {
  const struct { const char* file; bool contentsExists; HelpViewer expected; } rows[] = {
      {"", false, HelpViewer::None},
      {"Help/TUSKO.CHM", false, HelpViewer::CompiledHtml},
      {"x.chm.bak", false, HelpViewer::CompiledHtml},  // the mark may sit inside the name
      {"help/en/index.html", false, HelpViewer::HtmlPage},
      {"HELP.HTM", false, HelpViewer::HtmlPage},
      {"tusko.hlp", true, HelpViewer::WinHelpFinder},
      {"tusko.hlp", false, HelpViewer::WinHelpContents},
      {"tusko", true, HelpViewer::WinHelpContents},
      {"a.hl", true, HelpViewer::WinHelpContents}};
  for (const auto& row : rows) {
    EXPECT_EQ(ChooseHelpViewer(row.file, [&](const std::string&) { return row.contentsExists; }), row.expected)
        << row.file << " " << row.contentsExists;
  }
  std::string asked;
  ChooseHelpViewer("/Data/Tusko.HLP", [&](const std::string& path) {
    asked = path;
    return true;
  });
  EXPECT_EQ(asked, "/Data/Tusko.cnt") << "the contents file keeps the name's case";
}

TEST(TextKeys, AsciiCase) {
  EXPECT_EQ(AsciiUpper("/tmp/lang/Über.ini"), "/TMP/LANG/ÜBER.INI") << "bytes of other characters stay";
  EXPECT_EQ(AsciiLower("ABC-xyz"), "abc-xyz");
}

}  // namespace
}  // namespace tusko
