#include "app/session/LanguageChange.h"

#include <gtest/gtest.h>

#include "app/settings/MemorySettingsStore.h"
#include "support/RowName.h"

namespace tusko {
namespace {

struct ChangeRow {
  const char* name;
  int chosen;
  bool changed;
  std::uint32_t language;  // in memory and at the next start
};

class LanguageCommand : public testing::TestWithParam<ChangeRow> {};

TEST_P(LanguageCommand, SavesTheNumberOnlyOnceTheLanguageLoaded) {
  const ChangeRow& row = GetParam();
  LanguageManager language(TUSKO_RESOURCES_DIR);
  ASSERT_EQ(language.LoadLanguage(1), LanguageLoadResult::Loaded);
  MemorySettingsStore store;
  ProgramSettings settings = LoadProgramSettings(store);
  const std::string before = language.GetString("strOK");

  const LanguageChange change = ChangeLanguage(language, settings, store, row.chosen);
  EXPECT_EQ(change.changed, row.changed);
  EXPECT_EQ(change.loadError.empty(), row.changed);
  EXPECT_EQ(settings.language, row.language);
  EXPECT_EQ(LoadProgramSettings(store).language, row.language);
  EXPECT_FALSE(language.IsDisabled());
  if (!row.changed) {
    EXPECT_EQ(language.GetString("strOK"), before) << "the previous texts are back";
  }
}

INSTANTIATE_TEST_SUITE_P(LanguageChange, LanguageCommand,
                         testing::Values(ChangeRow{"Loaded", 2, true, 2},
                                         ChangeRow{"NotInTheIndex", 99, false, 1}),
                         test::RowName<ChangeRow>);

}  // namespace
}  // namespace tusko
