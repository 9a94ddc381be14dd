#include "monitor/LogView.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/FileText.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Sequence(std::size_t count, std::uint8_t first = 0) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
  return bytes;
}

int Occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// A message's label is coloured by its direction and its bytes are black; raw input is magenta throughout.
TEST(LogView, DumpsColourTheirLabelsAndSaveAsPlainText) {
  LogView log;
  log.SetLineWidth(20);
  log.DumpMessage(Sequence(2), true);
  log.DumpMessage(Sequence(2), false);
  log.DumpRawInput(Sequence(10, 0xF0));
  log.DumpMessage({}, false);
  // Saved as plain text with CR LF; the raw label ends in a blank and each byte brings its own.
  const test::TempFolder folder;
  ASSERT_TRUE(log.SaveToFile(folder / "log.txt"));
  EXPECT_EQ(test::ReadFileText(folder / "log.txt"),
            " IN: 00 01\r\nOUT: 00 01\r\nRAW INPUT >  F0 F1 F2\r\nF3 F4 F5 F6 F7 F8 F9\r\nOUT:\r\n");
  EXPECT_FALSE(log.SaveToFile("/nonexistent-folder/log.txt"));
  const auto lines = log.Lines();
  const std::vector<std::vector<LogColour>> colours{{LogColour::Link, LogColour::Text},
                                                    {LogColour::OutLabel, LogColour::Text},
                                                    {LogColour::Device},
                                                    {LogColour::Device}};
  for (std::size_t i = 0; i < colours.size(); ++i) {
    std::vector<LogColour> runColours;
    for (const LogRun& run : lines[i].runs) runColours.push_back(run.colour);
    EXPECT_EQ(runColours, colours[i]) << lines[i].Text();
  }
}

// Text appended in pieces that end anywhere: one line end per CR LF however it is split.
TEST(LogView, AppendedPiecesContinueTheLastLine) {
  struct Row {
    std::vector<std::string> pieces;
    std::string text;
  };
  const std::vector<Row> rows = {
      {{"ab", "c\r", "\nd"}, "abc\r\nd"},
      {{"a\r", "\r", "\n"}, "a\r\n\r\n"},  // a second CR is a line end of its own
      {{"a\r", "", "\nb"}, "a\r\nb"},        // an empty piece keeps the CR pending
      {{"a\r", "b", "\n"}, "a\r\nb\r\n"},   // an LF after other text is a line end again
      {{"a\n", "\n"}, "a\r\n\r\n"},
      {{"one\ntwo\r\nthree\rfour"}, "one\r\ntwo\r\nthree\r\nfour"},
  };
  for (const Row& row : rows) {
    LogView log;
    for (const std::string& piece : row.pieces) log.AppendText(piece, LogColour::Text);
    EXPECT_EQ(log.Text(), row.text) << testing::PrintToString(row.pieces);
    EXPECT_EQ(log.Lines().front().runs.size(), 1u) << "pieces of one colour make one run";
  }
}

// The observer hears of every write; clear empties the text, but its lines keep their numbers.
TEST(LogView, LinesFromFollowsTheNumbersThroughTrimsAndClear) {
  LogView log;
  int changes = 0;
  log.SetChangeObserver([&] { ++changes; });
  log.SetMaxLines(5);
  for (int i = 0; i < 4; ++i) log.AddLine("line " + std::to_string(i), LogColour::Engine);
  LogTail tail = log.LinesFrom(3);
  EXPECT_EQ(tail.firstKept, 0u);
  EXPECT_EQ(tail.from, 3u);
  ASSERT_EQ(tail.lines.size(), 2u) << "line 3 and the empty line being written";
  EXPECT_EQ(tail.lines[0].Text(), "line 3");
  EXPECT_EQ(tail.lines[1].Text(), "");

  for (int i = 4; i < 7; ++i) log.AddLine("line " + std::to_string(i), LogColour::Engine);  // lines 0 and 1 go
  tail = log.LinesFrom(1);
  EXPECT_EQ(tail.firstKept, 2u);
  EXPECT_EQ(tail.from, 2u) << "a trimmed number gives all kept lines";
  EXPECT_EQ(tail.lines.front().Text(), "line 2");
  EXPECT_EQ(tail.lines.size(), 6u);
  EXPECT_TRUE(log.LinesFrom(99).lines.empty());

  log.DumpMessage(Sequence(3), false);
  log.DumpRawInput(Sequence(3));
  log.Clear();
  EXPECT_EQ(changes, 11);
  EXPECT_EQ(log.Text(), "");
  tail = log.LinesFrom(5);
  EXPECT_EQ(tail.firstKept, 10u);
  ASSERT_EQ(tail.lines.size(), 1u);
  EXPECT_EQ(tail.lines[0].Text(), "");
}

// Four threads write at once (the sanitizer build watches the locking): every
// dump's three lines stay together and no line is lost.
TEST(LogView, ConcurrentWritesNeverInterleave) {
  constexpr int kThreads = 4;
  constexpr int kWritesPerThread = 50;
  LogView log;
  log.SetMaxLines(0);
  log.SetLineWidth(20);
  std::atomic<bool> go{false};
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&, t] {
      while (!go.load()) std::this_thread::yield();
      for (int i = 0; i < kWritesPerThread; ++i) {
        log.AddLine("thread " + std::to_string(t), LogColour::Link);
        // 17 bytes of the thread's own value: three lines that must stay together.
        log.DumpMessage(Bytes(17, static_cast<std::uint8_t>(t)), false);
      }
    });
  }
  go = true;
  for (auto& writer : writers) writer.join();

  const std::string text = "\r\n" + log.Text();  // each line, the first too, after a line end
  EXPECT_EQ(log.LineCount(), kThreads * kWritesPerThread * 4 + 1u);
  for (int t = 0; t < kThreads; ++t) {
    const auto bytes = [t](int count) {
      std::string run = "0" + std::to_string(t);
      for (int i = 1; i < count; ++i) run += " 0" + std::to_string(t);
      return run + "\r\n";
    };
    EXPECT_EQ(Occurrences(text, "\nthread " + std::to_string(t) + "\r\n"), kWritesPerThread) << t;
    EXPECT_EQ(Occurrences(text, "\nOUT: " + bytes(6) + bytes(7) + bytes(4)), kWritesPerThread) << t;
  }
}

}  // namespace
}  // namespace tusko
