#include "app/session/WriteVerification.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tusko {
namespace {

std::string Text(std::string_view key) {
  return key == "strSystemGeneralName" ? "Gateway name:" : std::string(key);
}

TEST(WriteVerification, NamesTheDifferingFieldsByIdAndLabelAndTheUnexplainedBytes) {
  const ConfigurationImage written = MakeDefaultImage();
  EXPECT_TRUE(DifferingFields(written, written, Text).empty());

  ConfigurationImage readBack = written;
  readBack.SetByte(6, 2);  // general.name: "NB"
  readBack.SetByte(7, 'N');
  readBack.SetByte(8, 'B');
  readBack.SetByte(1, static_cast<std::uint8_t>(written.Byte(1) ^ 0x01));  // reserved, no field's
  EXPECT_EQ(DifferingFields(written, readBack, Text),
            (std::vector<std::string>{"general.name (Gateway name)", "byte 1"}));
}

}  // namespace
}  // namespace tusko
