#include "app/language/LanguageManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/FileText.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEnglish =
    "[general]\nversion=1.2.0.0\n"
    "[strings]\nstrAppName=Tusko\nstrError=Error\nstrTwoWords=first\\nsecond\n"
    "strComError1=Port %s: %s\nstrOK=OK\nstrCancel=Cancel\nstrYes=Yes\nstrNo=No\n"
    "[menus]\nmenuFileNew=&New\\Ctrl+N\n[tooltips]\nttipNew=New configuration\n";

class LanguageManagerTest : public testing::Test {
 protected:
  void SetUp() override {
    Write("LANG.INI", "[general]\nnum_languages=2\n[language names]\n1=English\n2=Deutsch\n"
                      "[language files]\n1=en.ini\n2=de.ini\n[help files]\n1=help/en.html\n");
    Write("en.ini", kEnglish);
    Write("de.ini", "[general]\nversion=1.2.0.0\n[strings]\nstrAppName=Tusko DE\n");
  }
  void Write(const fs::path& name, const std::string& text) { test::WriteFileText(folder_ / name, text); }

  const test::TempFolder temp_;
  const fs::path& folder_ = temp_.path();
};

TEST_F(LanguageManagerTest, LoadsALanguageAndLooksUpItsTexts) {
  LanguageManager manager(folder_);
  // Before the first load nothing is disabled, but every text is empty.
  EXPECT_FALSE(manager.IsDisabled());
  EXPECT_EQ(manager.GetString("strAppName"), "");
  EXPECT_TRUE(manager.Message("strAppName", std::nullopt, 0).has_value());
  ASSERT_EQ(manager.LoadLanguage(1), LanguageLoadResult::Loaded);
  EXPECT_FALSE(manager.IsDisabled());
  EXPECT_EQ(manager.LanguageFile(), folder_ / "en.ini");
  EXPECT_EQ(manager.GetString("STRAPPNAME"), "Tusko") << "keys compare without regard to case";
  EXPECT_EQ(manager.GetMenuString("menuFileNew"), "&New\\Ctrl+N");
  EXPECT_EQ(manager.GetTooltip(kCommandFileNew), "New configuration");
  EXPECT_EQ(manager.GetTooltip(kCommandAbout), "") << "listed command whose key the file lacks";
  EXPECT_EQ(manager.GetTooltip(12345), "");
  EXPECT_EQ(manager.GetButtonText(kButtonYes), "Yes");
  EXPECT_EQ(manager.GetButtonText(3), "");
  EXPECT_EQ(manager.GetString("strTwoWords"), "first \nsecond") << "line breaks in control texts";
  EXPECT_EQ(manager.GetCaptionString("strTwoWords"), "first\\nsecond") << "but not in captions";
}

TEST_F(LanguageManagerTest, OnlyTheExactVersionIsAccepted) {
  constexpr auto kLoaded = LanguageLoadResult::Loaded;
  constexpr auto kIncompatible = LanguageLoadResult::IncompatibleVersion;
  const struct { const char* general; LanguageLoadResult expected; } rows[] = {
      {"version=1.2.0.0\n", kLoaded},        {"version=1.2.0.0\r\n", kLoaded},
      {"Version = 1.2.0.0\n", kLoaded},      {"version=1.2.0.0 \n", kIncompatible} /* trailing blank */,
      {"version=1.2.0.0\t\n", kIncompatible}, {"version=1.2.0\n", kIncompatible},
      {"version=1.2.0.1\n", kIncompatible},  {"version=\"1.2.0.0\"\n", kIncompatible},
      {"", kIncompatible},                   {"version=\n", kIncompatible}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.general);
    Write("en.ini", std::string("[general]\n") + row.general + "[strings]\nstrAppName=Tusko\n");
    LanguageManager manager(folder_);
    const LanguageLoadResult result = manager.LoadLanguage(1);
    EXPECT_EQ(result, row.expected);
    if (result == kIncompatible) {
      EXPECT_EQ(manager.LoadErrorMessage(), "Incompatible version of the language file!");
      EXPECT_TRUE(manager.IsDisabled());
      EXPECT_EQ(manager.LanguageFile(), folder_ / "en.ini") << "the path stays after a version failure";
      EXPECT_EQ(manager.GetString("strAppName"), "");
    }
  }
}

TEST_F(LanguageManagerTest, UnknownLanguageNumberOrMissingIndexIsAMissingSetting) {
  LanguageManager manager(folder_);
  EXPECT_EQ(manager.LoadLanguage(3), LanguageLoadResult::NoLanguageSetting);
  EXPECT_EQ(manager.LoadErrorMessage(), "Cannot find language setting!");
  EXPECT_TRUE(manager.IsDisabled());
  EXPECT_TRUE(manager.LanguageFile().empty());
  fs::remove(folder_ / "LANG.INI");
  LanguageManager withoutIndex(folder_);
  EXPECT_EQ(withoutIndex.LoadLanguage(1), LanguageLoadResult::NoLanguageSetting);
  EXPECT_EQ(withoutIndex.LanguageCount(), 0);
}

TEST_F(LanguageManagerTest, MissingFileIsReportedWithItsPathInUpperCase) {
  fs::remove(folder_ / "en.ini");
  LanguageManager manager(folder_);
  EXPECT_EQ(manager.LoadLanguage(1), LanguageLoadResult::FileNotFound);
  EXPECT_EQ(manager.LoadErrorMessage(), "Cannot find language file " + AsciiUpper((folder_ / "en.ini").string()) + "!");
  EXPECT_TRUE(manager.LanguageFile().empty());
  EXPECT_TRUE(manager.IsDisabled());
  fs::create_directories(folder_ / "dir.ini");
  Write("LANG.INI", "[language files]\n1=dir.ini\n");
  EXPECT_EQ(LanguageManager(folder_).LoadLanguage(1), LanguageLoadResult::FileNotFound) << "a folder is no file";
}

TEST_F(LanguageManagerTest, FilesLieInTheIndexsDirectoryUnlessThePathIsOverlongAndLongNamesAreCut) {
  Write("texts/en.ini", kEnglish);
  Write("LANG.INI", "[general]\ndirectory=texts\n[language files]\n1=en.ini\n");
  LanguageManager inDirectory(folder_);
  ASSERT_EQ(inDirectory.LoadLanguage(1), LanguageLoadResult::Loaded);
  EXPECT_EQ(inDirectory.LanguageFile(), folder_ / "texts" / "en.ini");

  Write("LANG.INI", "[language files]\n1=" + std::string(kMaxLanguageFileNameChars, 'x') + "\n[general]\ndirectory=" +
                        std::string(200, 'd') + "\n");
  LanguageManager manager(folder_);
  const auto info = manager.LanguageInfo(1, LanguageInfoParts::File);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(info->file, folder_ / std::string(200, 'd'));
  EXPECT_EQ(manager.LoadLanguage(1), LanguageLoadResult::FileNotFound);
  Write("LANG.INI", "[language files]\n1=" + std::string(70, 'x') + "\n");
  const auto cut = LanguageManager(folder_).LanguageInfo(1, LanguageInfoParts::File);
  ASSERT_TRUE(cut.has_value());
  EXPECT_EQ(cut->file.filename().string(), std::string(kMaxLanguageFileNameChars, 'x')) << "long names are cut";
}

TEST_F(LanguageManagerTest, LanguageInfoNeedsTheWantedParts) {
  Write("LANG.INI", "[language names]\n1=English\n2=Deutsch\n[language files]\n1=en.ini\n3=x.ini\n");
  LanguageManager manager(folder_);
  EXPECT_EQ(manager.LanguageInfo(1)->name, "English");
  EXPECT_EQ(manager.LanguageInfo(2, LanguageInfoParts::Name)->name, "Deutsch");
  EXPECT_FALSE(manager.LanguageInfo(2).has_value()) << "no file for language 2";
  EXPECT_FALSE(manager.LanguageInfo(3).has_value()) << "no name for language 3";
  EXPECT_TRUE(manager.LanguageInfo(3, LanguageInfoParts::File).has_value());
  EXPECT_FALSE(manager.LanguageInfo(0).has_value());
  EXPECT_FALSE(manager.LanguageInfo(-1).has_value());
}

TEST_F(LanguageManagerTest, LanguageCountIsReadAndBounded) {
  EXPECT_EQ(LanguageManager(folder_).LanguageCount(), 2);
  for (const auto& [count, expected] : {std::pair{"2000000000", kMaxLanguageCount}, {"-4", 0}, {"", 0}}) {
    Write("LANG.INI", std::string("[general]\nnum_languages=") + count + "\n");
    EXPECT_EQ(LanguageManager(folder_).LanguageCount(), expected) << count;
  }
}

TEST_F(LanguageManagerTest, DisabledAfterAFailureAndEnabledAgainByASuccess) {
  LanguageManager manager(folder_);
  ASSERT_EQ(manager.LoadLanguage(1), LanguageLoadResult::Loaded);
  EXPECT_EQ(manager.HelpFile(), folder_ / "help/en.html");
  ASSERT_EQ(manager.LoadLanguage(7), LanguageLoadResult::NoLanguageSetting);
  EXPECT_EQ(manager.GetString("strAppName"), "");
  EXPECT_EQ(manager.GetButtonText(kButtonOk), "");
  EXPECT_FALSE(manager.Message("strAppName", std::nullopt, kStyleError).has_value());
  EXPECT_TRUE(manager.HelpFile().empty());
  ASSERT_EQ(manager.LoadLanguage(2), LanguageLoadResult::Loaded);
  EXPECT_FALSE(manager.IsDisabled());
  EXPECT_TRUE(manager.LoadErrorMessage().empty());
  EXPECT_EQ(manager.GetString("strAppName"), "Tusko DE") << "a language change needs only another load";
  EXPECT_EQ(manager.GetString("strError"), "") << "a missing key gives an empty text, not the key";
  EXPECT_EQ(manager.GetMenuString("menuFileNew"), "") << "no [menus] section leaves every item blank";
  EXPECT_EQ(manager.GetTooltip(kCommandFileNew), "");
  EXPECT_TRUE(manager.HelpFile().empty()) << "language 2 has no help file";
  EXPECT_EQ(manager.HelpFileViewer(), HelpViewer::None);
}

TEST_F(LanguageManagerTest, MessagesTakeTheirTextsByKey) {
  LanguageManager manager(folder_);
  ASSERT_EQ(manager.LoadLanguage(1), LanguageLoadResult::Loaded);
  const auto plain = manager.Message("strTwoWords", std::nullopt, kStyleWarning);
  ASSERT_TRUE(plain.has_value());
  EXPECT_EQ(plain->caption, "Tusko") << "no caption key means strAppName";
  EXPECT_EQ(plain->text, "first \nsecond");
  EXPECT_EQ(plain->style, kStyleWarning | kStyleSetForeground);
  const auto formatted = manager.FormattedMessage("strComError1", "strError", kStyleError, {"COM3", "busy"});
  ASSERT_TRUE(formatted.has_value());
  EXPECT_EQ(formatted->caption, "Error");
  EXPECT_EQ(formatted->text, "Port COM3: busy");
}

TEST_F(LanguageManagerTest, MessageTextsAreCutToTheirLimits) {
  Write("en.ini", "[general]\nversion=1.2.0.0\n[strings]\nstrLong=" + std::string(300, 'a') + "\nstrCaption=" +
                      std::string(200, 'c') + "\nstrFormat=" + std::string(250, 'f') + "%s\nstrCut=" +
                      std::string(258, 'a') + "%s\n");
  LanguageManager manager(folder_);
  ASSERT_EQ(manager.LoadLanguage(1), LanguageLoadResult::Loaded);
  const auto plain = manager.Message("strLong", "strCaption", 0);
  ASSERT_TRUE(plain.has_value());
  EXPECT_EQ(plain->text.size(), kMaxMessageTextChars);
  EXPECT_EQ(plain->caption.size(), kMaxCaptionChars);
  const auto formatted = manager.FormattedMessage("strFormat", std::nullopt, 0, {std::string(400, 'x')});
  ASSERT_TRUE(formatted.has_value());
  EXPECT_EQ(formatted->text.size(), kMaxFormattedMessageChars);
  EXPECT_EQ(formatted->text.substr(0, 251), std::string(250, 'f') + "x");
  // The 259-character cut can split a conversion; what is left must still be harmless.
  EXPECT_EQ(manager.FormattedMessage("strCut", std::nullopt, 0, {"x"})->text, std::string(258, 'a') + "%");
}

TEST_F(LanguageManagerTest, WithoutAFolderTheIndexAndFilesComeFromTheCurrentDirectory) {
  const fs::path saved = fs::current_path();
  fs::current_path(folder_);
  const fs::path here = fs::current_path();
  LanguageManager manager;
  const LanguageLoadResult result = manager.LoadLanguage(1);
  fs::current_path(saved);
  EXPECT_EQ(result, LanguageLoadResult::Loaded);
  EXPECT_EQ(manager.LanguageFile(), here / "en.ini");
  EXPECT_EQ(manager.GetString("strAppName"), "Tusko");
}

}  // namespace
}  // namespace tusko
