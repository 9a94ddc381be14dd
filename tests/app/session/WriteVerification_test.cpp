#include "app/session/WriteVerification.h"

#include <gtest/gtest.h>

namespace tusko {
namespace {

TEST(WriteVerification, NamesTheDifferingFieldsByIdAndLabelAndTheUnexplainedBytes) {
  const auto text = [](std::string_view key) { return key == "strSystemGeneralName" ? "Gateway name:" : ""; };
  const ConfigurationImage written = MakeDefaultImage();
  EXPECT_TRUE(DifferingFields(written, written, text).empty());
  ConfigurationImage readBack = written;
  for (const auto& [offset, byte] : {std::pair{6, 2}, {7, 'N'}, {8, 'B'}}) readBack.SetByte(offset, byte);  // general.name
  readBack.SetByte(1, static_cast<std::uint8_t>(written.Byte(1) ^ 0x01));  // reserved, no field's
  EXPECT_EQ(DifferingFields(written, readBack, text),
            (std::vector<std::string>{"general.name (Gateway name)", "byte 1"}));
}

}  // namespace
}  // namespace tusko
