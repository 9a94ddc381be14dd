#include "app/language/LanguageManager.h"
#include "app/language/TextKeys.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/FileText.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;
using enum LanguageLoadResult;

constexpr const char* kIndex = "[general]\nnum_languages=2\n[language names]\n1=English\n2=Deutsch\n"
                               "[language files]\n1=en.ini\n2=de.ini\n[help files]\n1=help/en.html\n";
// [strings] comes last so that a test can add its own texts.
constexpr const char* kEnglish =
    "[general]\nversion=1.2.0.0\n[menus]\nmenuFileNew=&New\\Ctrl+N\n"
    "[strings]\nstrAppName=Tusko\nstrError=Error\nstrTwoWords=first\\nsecond\nstrComError1=Port %s: %s\nstrYes=Yes\n";

class LanguageManagerTest : public testing::Test {
 protected:
  void SetUp() override {
    Write("LANG.INI", kIndex);
    Write("en.ini", kEnglish);
    Write("de.ini", "[general]\nversion=1.2.0.0\n[strings]\nstrAppName=Tusko DE\n");
  }
  void Write(const fs::path& name, const std::string& text) { test::WriteFileText(folder_ / name, text); }

  const test::TempFolder temp_;
  const fs::path& folder_ = temp_.path();
};

// Texts and messages come by key, each cut to its limit.
TEST_F(LanguageManagerTest, LoadsALanguageAndLooksUpItsTextsAndMessages) {
  Write("en.ini", std::string(kEnglish) + "strLong=" + std::string(300, 'a') + "\nstrCaption=" + std::string(200, 'c') +
                      "\nstrFormat=" + std::string(250, 'f') + "%s\nstrCut=" + std::string(258, 'a') + "%s\n");
  LanguageManager manager(folder_);
  EXPECT_EQ(manager.GetString("strAppName"), "") << "nothing loaded yet";
  EXPECT_TRUE(manager.Message("strAppName", std::nullopt, 0).has_value()) << "but nothing failed either";
  ASSERT_EQ(manager.LoadLanguage(1), Loaded);
  EXPECT_EQ(manager.GetMenuString("menuFileNew"), "&New\\Ctrl+N");
  EXPECT_EQ(manager.GetTooltip(12345), "");
  EXPECT_EQ(manager.GetButtonText(3), "");
  EXPECT_EQ(manager.GetString("strTwoWords"), "first \nsecond") << "line breaks in control texts";
  EXPECT_EQ(manager.GetCaptionString("strTwoWords"), "first\\nsecond") << "but not in captions";
  const LanguageMessage plain = manager.Message("strTwoWords", std::nullopt, kStyleWarning).value();
  EXPECT_EQ(plain.caption, "Tusko") << "no caption key means strAppName";
  EXPECT_EQ(plain.text, "first \nsecond");
  EXPECT_EQ(plain.style, kStyleWarning | kStyleSetForeground);
  const LanguageMessage formatted = manager.FormattedMessage("strComError1", "strError", kStyleError, {"COM3", "busy"}).value();
  EXPECT_EQ(formatted.caption, "Error");
  EXPECT_EQ(formatted.text, "Port COM3: busy");
  const LanguageMessage cut = manager.Message("strLong", "strCaption", 0).value();
  EXPECT_EQ(cut.text.size(), kMaxMessageTextChars);
  EXPECT_EQ(cut.caption.size(), kMaxCaptionChars);
  EXPECT_EQ(manager.FormattedMessage("strFormat", std::nullopt, 0, {std::string(400, 'x')}).value().text, std::string(250, 'f') + std::string(kMaxFormattedMessageChars - 250, 'x'));
  // The 259-character cut can split a conversion; what is left must still be harmless.
  EXPECT_EQ(manager.FormattedMessage("strCut", std::nullopt, 0, {"x"}).value().text, std::string(258, 'a') + "%");
  // Another language needs only another load; what it lacks is empty, never the key.
  ASSERT_EQ(manager.LoadLanguage(2), Loaded);
  EXPECT_EQ(manager.GetString("strAppName"), "Tusko DE");
  EXPECT_EQ(manager.GetString("strError"), "");
  EXPECT_EQ(manager.GetMenuString("menuFileNew"), "");
  EXPECT_TRUE(manager.HelpFile().empty()) << "language 2 has no help file";
  EXPECT_EQ(manager.HelpFileViewer(), HelpViewer::None);
}

// A failed load says why in fixed English and blanks every text until a load succeeds.
TEST_F(LanguageManagerTest, AFailedLoadDisablesTheTextsUntilALoadSucceeds) {
  fs::create_directories(folder_ / "dir.ini");
  const std::string longFolder(200, 'd'), longName(kMaxLanguageFileNameChars, 'x');
  const auto notFound = [&](const fs::path& file) { return "Cannot find language file " + AsciiUpper(file.string()) + "!"; };
  const struct { const char* name; std::string index; int number; LanguageLoadResult result; std::string message; } rows[] = {
      {"UnknownNumber", kIndex, 3, NoLanguageSetting, "Cannot find language setting!"},
      {"NoIndex", "", 1, NoLanguageSetting, "Cannot find language setting!"},
      {"MissingFile", "[language files]\n1=none.ini\n", 1, FileNotFound, notFound(folder_ / "none.ini")},
      {"FolderIsNoFile", "[language files]\n1=dir.ini\n", 1, FileNotFound, notFound(folder_ / "dir.ini")},
      {"OverlongPathIsTheFolderAlone", "[general]\ndirectory=" + longFolder + "\n[language files]\n1=" + longName + "\n",
       1, FileNotFound, notFound(folder_ / longFolder)}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Write("LANG.INI", kIndex);
    LanguageManager manager(folder_);
    ASSERT_EQ(manager.LoadLanguage(1), Loaded);
    fs::remove(folder_ / "LANG.INI");
    if (!row.index.empty()) Write("LANG.INI", row.index);
    EXPECT_EQ(manager.LoadLanguage(row.number), row.result);
    EXPECT_EQ(manager.LoadErrorMessage(), row.message);
    EXPECT_TRUE(manager.IsDisabled());
    EXPECT_TRUE(manager.LanguageFile().empty());
    EXPECT_TRUE(manager.HelpFile().empty());
    EXPECT_EQ(manager.GetString("strAppName"), "");
    EXPECT_EQ(manager.GetButtonText(kButtonYes), "");
    EXPECT_FALSE(manager.Message("strAppName", std::nullopt, kStyleError).has_value());
    EXPECT_FALSE(manager.FormattedMessage("strComError1", std::nullopt, kStyleError, {"COM3", "busy"}).has_value());
    Write("LANG.INI", kIndex);
    ASSERT_EQ(manager.LoadLanguage(2), Loaded);
    EXPECT_FALSE(manager.IsDisabled());
    EXPECT_EQ(manager.LoadErrorMessage(), "");
  }
}

TEST_F(LanguageManagerTest, OnlyTheExactVersionIsAccepted) {
  // The version is compared as written: a trailing blank or quotes make it another version.
  const struct { const char* general; LanguageLoadResult expected; } rows[] = {
      {"version=1.2.0.0\r\n", Loaded}, {"Version = 1.2.0.0\n", Loaded}, {"version=1.2.0.0 \n", IncompatibleVersion},
      {"version=1.2.0\n", IncompatibleVersion}, {"version=1.2.0.1\n", IncompatibleVersion},
      {"version=\"1.2.0.0\"\n", IncompatibleVersion}, {"", IncompatibleVersion}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.general);
    Write("en.ini", std::string("[general]\n") + row.general + "[strings]\nstrAppName=Tusko\n");
    LanguageManager manager(folder_);
    EXPECT_EQ(manager.LoadLanguage(1), row.expected);
    if (row.expected == Loaded) continue;
    EXPECT_EQ(manager.LoadErrorMessage(), "Incompatible version of the language file!");
    EXPECT_TRUE(manager.IsDisabled());
    EXPECT_EQ(manager.LanguageFile(), folder_ / "en.ini") << "the path stays after a version failure";
    EXPECT_EQ(manager.GetString("strAppName"), "");
  }
}

TEST_F(LanguageManagerTest, TheIndexNamesTheLanguagesAndWhereTheirFilesLie) {
  Write("texts/en.ini", kEnglish);
  Write("LANG.INI", "[general]\ndirectory=texts\nnum_languages=2000000000\n[language names]\n1=English\n2=Deutsch\n"
                    "[language files]\n1=en.ini\n3=" + std::string(70, 'x') + "\n");
  LanguageManager manager(folder_);
  EXPECT_EQ(manager.LanguageCount(), kMaxLanguageCount);
  ASSERT_EQ(manager.LoadLanguage(1), Loaded);
  EXPECT_EQ(manager.LanguageFile(), folder_ / "texts" / "en.ini");
  EXPECT_EQ(manager.LanguageInfo(1)->name, "English");
  EXPECT_EQ(manager.LanguageInfo(2, LanguageInfoParts::Name)->name, "Deutsch");
  EXPECT_FALSE(manager.LanguageInfo(2).has_value()) << "no file for language 2";
  EXPECT_FALSE(manager.LanguageInfo(3).has_value()) << "no name for language 3";
  EXPECT_EQ(manager.LanguageInfo(3, LanguageInfoParts::File)->file.filename(), std::string(kMaxLanguageFileNameChars, 'x'))
      << "long names are cut";
  EXPECT_FALSE(manager.LanguageInfo(0).has_value());
  fs::remove(folder_ / "LANG.INI");
  EXPECT_EQ(manager.LanguageCount(), 0);
  EXPECT_FALSE(manager.LanguageInfo(1).has_value());
}

TEST_F(LanguageManagerTest, WithoutAFolderTheIndexAndFilesComeFromTheCurrentDirectory) {
  const fs::path saved = fs::current_path();
  fs::current_path(folder_);
  LanguageManager manager;
  const LanguageLoadResult result = manager.LoadLanguage(1);
  fs::current_path(saved);
  EXPECT_EQ(result, Loaded);
  EXPECT_EQ(manager.LanguageFile(), fs::canonical(folder_) / "en.ini");
}

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
