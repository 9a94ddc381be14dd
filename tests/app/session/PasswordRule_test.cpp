#include "app/session/PasswordRule.h"

#include <gtest/gtest.h>

namespace tusko {
namespace {

TEST(GatewayPassword, TakesOnlyAsciiOfAtMostEightCharacters) {
  const struct {
    const char* name;
    std::string_view password;
    PasswordFit fit;
  } rows[] = {
      {"empty", "", PasswordFit::Fits},
      {"eight_signs", "a1!~ Z_9", PasswordFit::Fits},
      {"nine", "123456789", PasswordFit::TooLong},
      {"umlaut_within_eight_bytes", "p\u00E4ss", PasswordFit::NotAscii},
      {"four_umlauts_make_eight_bytes", "\u00E4\u00F6\u00FC\u00DF", PasswordFit::NotAscii},
      {"long_and_not_ascii", "\u00E4123456789", PasswordFit::NotAscii},
  };
  for (const auto& row : rows) EXPECT_EQ(CheckGatewayPassword(row.password), row.fit) << row.name;
}

}  // namespace
}  // namespace tusko
