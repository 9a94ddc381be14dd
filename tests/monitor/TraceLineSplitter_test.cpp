#include "monitor/TraceLineSplitter.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/RowName.h"

namespace tusko {
namespace {

struct SplitRow {
  const char* name;
  std::vector<std::string> pieces;
  std::vector<std::string> lines;
  std::string rest;
  bool restEnded;
  friend void PrintTo(const SplitRow& row, std::ostream* out) { *out << row.name; }
};

class TraceLineSplit : public testing::TestWithParam<SplitRow> {};

TEST_P(TraceLineSplit, GivesWholeLinesAndKeepsTheRest) {
  TraceLineSplitter splitter;
  std::vector<std::string> lines;
  for (const std::string& piece : GetParam().pieces) {
    for (std::string& line : splitter.Add(piece)) lines.push_back(std::move(line));
  }
  EXPECT_EQ(lines, GetParam().lines);
  const auto rest = splitter.TakeRest();
  EXPECT_EQ(rest.has_value(), !GetParam().rest.empty() || GetParam().restEnded);
  if (rest) {
    EXPECT_EQ(rest->text, GetParam().rest);
    EXPECT_EQ(rest->ended, GetParam().restEnded);
  }
  EXPECT_FALSE(splitter.TakeRest());
}

const std::string kLong(4096, 'x');

INSTANTIATE_TEST_SUITE_P(
    Monitor, TraceLineSplit,
    testing::Values(SplitRow{"EveryLineEnd", {"a\r\nb\rc\nd"}, {"a", "b", "c"}, "d", false},
                    SplitRow{"CrLfSplitAcrossPieces", {"a\r", "\nb\r\n"}, {"a", "b"}, "", false},
                    SplitRow{"LoneCrAtTheEndWaits", {"a\r"}, {}, "a", true},
                    SplitRow{"CrThenText", {"a\r", "b"}, {"a"}, "b", false},
                    SplitRow{"EmptyLines", {"\r\n\r\n"}, {"", ""}, "", false},
                    SplitRow{"EndlessLineComesInPieces", {kLong, "y"}, {kLong}, "y", false}),
    test::RowName<SplitRow>);

}  // namespace
}  // namespace tusko
