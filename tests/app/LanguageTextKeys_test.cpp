#include "app/core/TextKeys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/LanguageTestRows.h"

namespace tusko {
namespace {

TEST(TextKeys, CaptionKeysNeedAnUpperCaseLetterAfterStr) {
  EXPECT_TRUE(IsWindowCaptionKey("strAbout"));
  EXPECT_FALSE(IsWindowCaptionKey("strabout"));
  EXPECT_FALSE(IsWindowCaptionKey("str"));
  EXPECT_FALSE(IsWindowCaptionKey("StrAbout"));
  EXPECT_FALSE(IsWindowCaptionKey("About"));
}

TEST(TextKeys, ControlKeysNeedOnlyThePrefix) {
  EXPECT_TRUE(IsControlTextKey("strGsmModule1"));
  EXPECT_TRUE(IsControlTextKey("strlowercase"));
  EXPECT_TRUE(IsControlTextKey("str"));
  EXPECT_FALSE(IsControlTextKey("Str"));
  EXPECT_FALSE(IsControlTextKey(""));
}

TEST(TextKeys, ExemptControls) {
  EXPECT_FALSE(IsUntranslatedControl(1360));
  EXPECT_TRUE(IsUntranslatedControl(1361));
  EXPECT_TRUE(IsUntranslatedControl(1365));
  EXPECT_FALSE(IsUntranslatedControl(1366));
  EXPECT_FALSE(ForgetsControlKey(1363));
  EXPECT_FALSE(ForgetsControlKey(1369));
  EXPECT_TRUE(ForgetsControlKey(1366));
  EXPECT_TRUE(ForgetsControlKey(1041));
}

struct LineBreakCase {
  const char* name;
  const char* text;
  const char* expected;
};

class LineBreaks : public testing::TestWithParam<LineBreakCase> {};

TEST_P(LineBreaks, BecomeABlankAndALineFeed) {
  EXPECT_EQ(ReplaceLineBreaks(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LineBreaks,
    testing::Values(LineBreakCase{"between_words", "first\\nsecond", "first \nsecond"},
                    LineBreakCase{"several", "a\\nb\\nc", "a \nb \nc"}, LineBreakCase{"at_the_end", "a\\n", "a \n"},
                    LineBreakCase{"upper_case_n_kept", "a\\Nb", "a\\Nb"},
                    LineBreakCase{"lone_backslash", "a\\b", "a\\b"}, LineBreakCase{"trailing_backslash", "a\\", "a\\"},
                    LineBreakCase{"double_backslash", "a\\\\nb", "a\\ \nb"}, LineBreakCase{"empty", "", ""}),
    RowName());

TEST(TextKeys, PopupMenuTextsTakeTheFirstBackslashAsTab) {
  EXPECT_EQ(PopupMenuItemText("&New\\Ctrl+N"), "&New\tCtrl+N");
  EXPECT_EQ(PopupMenuItemText("a\\b\\c"), "a\tb\\c");
  EXPECT_EQ(PopupMenuItemText("plain"), "plain");
}

TEST(TextKeys, TooltipKeysOfTheSixToolbarCommands) {
  EXPECT_EQ(TooltipKey(57600), "ttipNew");
  EXPECT_EQ(TooltipKey(57601), "ttipOpen");
  EXPECT_EQ(TooltipKey(57603), "ttipSave");
  EXPECT_EQ(TooltipKey(32780), "ttipDownload");
  EXPECT_EQ(TooltipKey(32781), "ttipUpload");
  EXPECT_EQ(TooltipKey(57664), "ttipAbout");
  EXPECT_FALSE(TooltipKey(57602).has_value()) << "Close has no toolbar button";
}

TEST(TextKeys, ButtonTextKeys) {
  EXPECT_EQ(ButtonTextKey(1), "strOK");
  EXPECT_EQ(ButtonTextKey(2), "strCancel");
  EXPECT_EQ(ButtonTextKey(6), "strYes");
  EXPECT_EQ(ButtonTextKey(7), "strNo");
  EXPECT_EQ(ButtonTextKey(3), "");
}

struct HelpCase {
  const char* name;
  const char* file;
  bool contentsExists;
  HelpViewer expected;
};

class HelpViewers : public testing::TestWithParam<HelpCase> {};

TEST_P(HelpViewers, ChooseByName) {
  std::set<std::string> asked;
  const auto& row = GetParam();
  const HelpViewer viewer = ChooseHelpViewer(row.file, [&](const std::string& path) {
    asked.insert(path);
    return row.contentsExists;
  });
  EXPECT_EQ(viewer, row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HelpViewers,
    testing::Values(HelpCase{"none", "", false, HelpViewer::None},
                    HelpCase{"compiled", "Help/TUSKO.CHM", false, HelpViewer::CompiledHtml},
                    HelpCase{"compiled_mark_inside", "x.chm.bak", false, HelpViewer::CompiledHtml},
                    HelpCase{"html_page", "help/en/index.html", false, HelpViewer::HtmlPage},
                    HelpCase{"htm_page", "HELP.HTM", false, HelpViewer::HtmlPage},
                    HelpCase{"winhelp_with_contents", "tusko.hlp", true, HelpViewer::WinHelpFinder},
                    HelpCase{"winhelp_without_contents", "tusko.hlp", false, HelpViewer::WinHelpContents},
                    HelpCase{"no_extension", "tusko", true, HelpViewer::WinHelpContents},
                    HelpCase{"dot_too_early", "a.hl", true, HelpViewer::WinHelpContents}),
    RowName());

TEST(TextKeys, WinHelpContentsFileKeepsTheNamesCase) {
  std::string asked;
  ChooseHelpViewer("/Data/Tusko.HLP", [&](const std::string& path) {
    asked = path;
    return true;
  });
  EXPECT_EQ(asked, "/Data/Tusko.cnt");
}

TEST(TextKeys, AsciiCase) {
  EXPECT_EQ(AsciiUpper("/tmp/lang/Über.ini"), "/TMP/LANG/ÜBER.INI") << "bytes of other characters stay";
  EXPECT_EQ(AsciiLower("ABC-xyz"), "abc-xyz");
}

}  // namespace
}  // namespace tusko
