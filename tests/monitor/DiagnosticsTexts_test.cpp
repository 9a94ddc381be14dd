#include "monitor/DiagnosticsTexts.h"

#include <map>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace tusko {
namespace {

// A few of the status texts, one CME error of its own and the general CME
// error format; a key not listed has no text, as in a language file.
std::string Text(std::string_view key) {
  static const std::map<std::string_view, std::string> texts{
      {"strDiagGsmStatusIdle", "Ready"},           {"strDiagGsmStatusLogout", "Logged out"},
      {"strDiagGsmStatusError", "Error %d"},       {"strDiagGsmStatusUnknown", "Unknown state %d"},
      {"strDiagGsmStatusCmeError", "CME error %d"}, {"strDiagGsmStatusCmeError10", "SIM not inserted (%d)"},
      {"strDiagGsmSignalMin", "weakest"},          {"strDiagGsmSignalMax", "strongest"},
      {"strDiagGsmSignalNo", "none"},              {"strDiagGsmSignalUnknown", "unknown"}};
  const auto found = texts.find(key);
  return found != texts.end() ? found->second : std::string();
}

TEST(DiagnosticsTexts, GsmStatusCodesReadAsTheirStateAndColour) {
  const struct { const char* name; std::uint16_t code; const char* information; const char* text; StatusColour colour; } rows[] = {
      {"idle", 0x0010, "", "Ready", StatusColour::Green},
      {"bit12_ignored", 0x1010, "", "Ready", StatusColour::Green},
      {"information_appended", 0x0010, "Net 1", "Ready - Net 1", StatusColour::Green},
      {"named_red", 0x0002, "", "Logged out", StatusColour::Red},
      {"error_range", 0x00E1, "ignored", "Error 225", StatusColour::Red},
      {"cme_with_own_key", 0x800A, "", "SIM not inserted (10)", StatusColour::Red},
      {"cme_without_own_key", 0x800B, "", "CME error 11", StatusColour::Red},
      {"cme_out_of_range", 0x83E8, "", "Unknown state 33768", StatusColour::WindowFace},
      {"unknown", 0x00FF + 0x100, "", "Unknown state 511", StatusColour::WindowFace},
      {"error_top", 0x00FF, "", "Error 255", StatusColour::Red},
  };
  for (const auto& row : rows) {
    const GsmStatusText status = DescribeGsmStatus(row.code, row.information, Text);
    EXPECT_EQ(status.text, row.text) << row.name;
    EXPECT_EQ(status.colour, row.colour) << row.name;
  }
}

TEST(DiagnosticsTexts, SignalQualityReadsInDbmOrWords) {
  const std::pair<std::uint8_t, const char*> rows[] = {
      {0, "weakest"}, {1, "-111 dBm"}, {16, "-81 dBm"}, {30, "-53 dBm"},
      {31, "strongest"}, {32, "unknown"}, {99, "none"}, {0xFF, "unknown"},
  };
  for (const auto& [quality, text] : rows) EXPECT_EQ(GsmSignalText(quality, Text), text) << int{quality};
}

TEST(DiagnosticsValues, CreditPairsAndIsdnIndicators) {
  EXPECT_EQ(CreditPairText(0, 125), "0:00 / 2:05");
  EXPECT_EQ(CreditPairText(0, 0), "0 / 0");
  EXPECT_EQ(CreditPairText(0xFFFFFFFF, 61), "71582788:15 / 1:01") << "counters are unsigned";

  EXPECT_EQ(DecodeIsdnLine(0x0083), (IsdnLineIndicators{true, true, true}));
  EXPECT_EQ(DecodeIsdnLine(0x0002), (IsdnLineIndicators{false, true, false}));
  EXPECT_EQ(DecodeIsdnLine(0x8083), IsdnLineIndicators{}) << "bit 15 carries no line state";
}

TEST(DiagnosticsValues, GsmModuleRecordsAreReadFromTheStore) {
  DiagnosticsData data;
  const std::uint8_t second[] = {0x10, 0x10, 16, 'N', 0xE9, 't'};
  std::copy(std::begin(second), std::end(second), data.gsmStatus.begin() + kGsmStatusRecordSize);
  const GsmModuleStatus first = ReadGsmModuleStatus(data, 0);
  EXPECT_EQ(first.signal, kGsmSignalUnknown);
  EXPECT_EQ(first.information, "");
  const GsmModuleStatus module2 = ReadGsmModuleStatus(data, 1);
  EXPECT_EQ(module2.code, 0x1010);
  EXPECT_EQ(module2.signal, 16);
  EXPECT_EQ(module2.information, "N\u00E9t") << "the gateway's Latin-1, shown as UTF-8";
}

}  // namespace
}  // namespace tusko
