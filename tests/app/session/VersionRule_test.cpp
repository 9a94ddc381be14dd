#include "app/session/VersionRule.h"

#include <gtest/gtest.h>

#include "support/RowName.h"

namespace tusko {
namespace {

struct VersionRow {
  const char* name;
  const char* firmware;
  bool agrees;
};

class VersionRule : public testing::TestWithParam<VersionRow> {};

TEST_P(VersionRule, ComparesMajorAndMinorOnly) {
  EXPECT_EQ(VersionsAgree(GetParam().firmware, kProgramDataVersion), GetParam().agrees);
}

INSTANTIATE_TEST_SUITE_P(Rows, VersionRule,
                         testing::Values(VersionRow{"same_release", "1.2.0.0", true},
                                         VersionRow{"other_build", "1.2.5 (Jan 12 2024)", true},
                                         VersionRow{"other_minor", "1.3.0.0", false},
                                         VersionRow{"other_major", "2.2.0.0", false},
                                         VersionRow{"minor_twelve_is_not_one", "1.12.0", false},
                                         VersionRow{"no_dot_after_minor", "1.2", false},
                                         VersionRow{"empty_after_restart", "", false},
                                         VersionRow{"text_only", "unknown", false}),
                         test::RowName<VersionRow>);

}  // namespace
}  // namespace tusko
