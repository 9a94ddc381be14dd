// The log view that the monitor page and the communication log write to, then the monitor page's model:
// markers in the view and the temporary file, the category mask, the keep-alive on virtual time, pause and
// resume, the save question, and the temporary file's place and name.
#include "monitor/LogView.h"
#include "monitor/MonitorLog.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/FileText.h"
#include "support/TempFolder.h"
#include "support/VirtualClock.h"

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

// ---- The monitor page ----

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr MarkerTime kTime{5, 3, 2024, 7, 8, 9};

std::string AllCategoriesNamed(std::string_view key) { return "label of " + std::string(key); }

// The engine's side as a script: what was asked, and what it answers.
class FakeEngine : public MonitorRequests {
 public:
  bool StartMonitoring() override { return ++starts, accepts; }
  bool StopMonitoring() override { return accepts; }
  bool SendMonitorCommand(std::string_view command) override { return commands.emplace_back(command), accepts; }
  bool PollMonitoring() override { return ++polls, pollGoesOut; }
  bool LinkOpen() const override { return linkOpen; }
  SystemInformation GatewayVersions() const override { return versions; }

  bool accepts = true;
  bool pollGoesOut = true;
  bool linkOpen = true;
  SystemInformation versions{"L-2.1", "1.2.5", "Sentarix", RunMode::Firmware, 0x7D0102};
  int starts = 0;
  int polls = 0;
  std::vector<std::string> commands;
};

// The window's side on a virtual clock.
class ClockHost : public MonitorLogHost {
 public:
  explicit ClockHost(test::VirtualClock& clock) : clock_(clock) {}
  void Attach(MonitorLog* log) { log_ = log; }

  void ArmTimer(MonitorTimer timer, milliseconds delay) override {
    StopTimer(timer);
    timers_[timer] = clock_.Schedule(delay, [this, timer] {
      timers_.erase(timer);
      if (log_ != nullptr) log_->OnTimer(timer);
    });
  }
  void StopTimer(MonitorTimer timer) override {
    if (const auto found = timers_.find(timer); found != timers_.end()) {
      clock_.Cancel(found->second);
      timers_.erase(found);
    }
  }
  MarkerTime LocalTime() const override { return kTime; }
  void AskToSaveLog() override { ++saveQuestions; }

  bool Armed(MonitorTimer timer) const { return timers_.contains(timer); }
  int saveQuestions = 0;

 private:
  test::VirtualClock& clock_;
  MonitorLog* log_ = nullptr;
  std::map<MonitorTimer, test::VirtualClock::TimerId> timers_;
};

class MonitorLogTest : public testing::Test {
 protected:
  MonitorLogTest() { Make(MonitorLogSettings{}); }
  ~MonitorLogTest() override { host.Attach(nullptr); }

  void Make(const MonitorLogSettings& settings, const fs::path& folder = {}) {
    host.Attach(nullptr);
    log.reset();
    log.emplace(engine, host, settings, folder.empty() ? temp.path() : folder);
    log->Retranslate(AllCategoriesNamed);
    host.Attach(&*log);
  }

  std::string ViewText() const { return log->View().Text(); }
  std::string FileText() const { return test::ReadFileText(log->TempFilePath()); }
  int CountInView(const std::string& text) const { return Occurrences(ViewText(), text); }

  test::TempFolder temp;
  test::VirtualClock clock;
  FakeEngine engine;
  ClockHost host{clock};
  std::optional<MonitorLog> log;
};

// ---- The category mask ----

// A category without a text is not offered; the mask goes out at each start and each change while running.
TEST_F(MonitorLogTest, TheMaskHoldsTheOfferedCategoriesAndGoesOutOnEachChangeWhileRunning) {
  log->Retranslate([](std::string_view key) {
    return key == MonitorCategoryKey(2) || key == MonitorCategoryKey(15) ? std::string() : AllCategoriesNamed(key);
  });
  for (std::size_t i = 0; i < kMonitorCategoryCount; ++i) {
    EXPECT_EQ(log->SetCategory(i, true), i != 2 && i != 15) << i;
    EXPECT_EQ(log->Categories().IsOffered(i), i != 2 && i != 15) << i;
  }
  EXPECT_TRUE(engine.commands.empty());  // nothing is sent while monitoring is off
  log->monitoringStarted();
  EXPECT_TRUE(log->SetCategory(0, true));  // no change, nothing sent
  ASSERT_TRUE(log->SetCategory(1, false));
  log->monitoringStarted();  // a start confirmed again, after a resume
  EXPECT_EQ(CountInView("STARTED"), 1);
  // A language without the category's text unchecks it, and the gateway must hear so.
  log->Retranslate([](std::string_view key) { return key == MonitorCategoryKey(0) ? std::string() : AllCategoriesNamed(key); });
  EXPECT_FALSE(log->Categories().IsChecked(0));
  EXPECT_EQ(engine.commands, (std::vector<std::string>{"V=7FFB\r\n", "V=7FF9\r\n", "V=7FF9\r\n", "V=7FF8\r\n"}));
}

// ---- Trace text ----

// The file keeps every byte; the view stops at a NUL, and a marker ends its unfinished line, which stays black.
TEST_F(MonitorLogTest, TextGoesToTheFileAndTheViewAsReceived) {
  log->monitoringStarted();
  const std::string head = FileText();
  log->monitorOutput(std::string_view("d\0x", 3));
  log->monitoringStopped();
  const std::string stopped = MarkerText(MonitorMarker::Stopped, kTime, engine.versions);
  EXPECT_EQ(FileText(), head + std::string("d\0x", 3) + stopped + "\r\n");
  const auto lines = log->View().Lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3].Text(), "d");
  EXPECT_EQ(lines[lines.size() - 3].runs.at(0).colour, LogColour::Text);
  EXPECT_EQ(lines[lines.size() - 2].Text(), stopped.substr(2));
  EXPECT_EQ(lines[lines.size() - 2].runs.at(0).colour, kMarkerColour);
}

// ---- Keep-alive ----

TEST_F(MonitorLogTest, UnansweredKeepAliveMarksTheLossOnceAndTheNextAnswerTheRecovery) {
  log->monitoringStarted();
  clock.Advance(kMonitorKeepAliveMs);
  EXPECT_EQ(engine.polls, 1);
  clock.Advance(kMonitorAnswerTimeoutMs - milliseconds(1));
  EXPECT_FALSE(log->IsCommunicationLost());
  clock.Advance(milliseconds(1));
  EXPECT_TRUE(log->IsCommunicationLost());
  clock.Advance(kMonitorKeepAliveMs * 3);  // three more polls, none answered
  EXPECT_EQ(engine.polls, 4);
  EXPECT_EQ(CountInView("COMMUNICATION LOST"), 1);

  log->gatewayAnswered();
  EXPECT_FALSE(log->IsCommunicationLost());
  log->gatewayAnswered();
  EXPECT_EQ(CountInView("COMMUNICATION RECOVERY"), 1);
  const std::string file = FileText();
  EXPECT_LT(file.find("COMMUNICATION LOST"), file.find("COMMUNICATION RECOVERY"));
}

// A poll the engine holds back over an open link (another operation is talking) waits for no answer; over a
// link that is down it does. A stop ends both timers: no poll and no loss follow it.
TEST_F(MonitorLogTest, AnAnswerATraceOrAPollHeldOverAnOpenLinkIsNoLoss) {
  log->monitoringStarted();
  clock.Advance(kMonitorKeepAliveMs + milliseconds(100));
  log->gatewayAnswered();
  clock.Advance(kMonitorKeepAliveMs);
  log->monitorOutput("x\r\n");
  engine.pollGoesOut = false;
  clock.Advance(kMonitorKeepAliveMs + kMonitorAnswerTimeoutMs);
  EXPECT_EQ(CountInView("COMMUNICATION LOST"), 0);
  engine.linkOpen = false;
  clock.Advance(kMonitorKeepAliveMs);
  EXPECT_EQ(CountInView("COMMUNICATION LOST"), 1);  // the fourth poll, held over the link that is down
  clock.Advance(kMonitorKeepAliveMs - kMonitorAnswerTimeoutMs);  // the fifth waits for its answer
  log->monitoringStopped();
  clock.Advance(kMonitorKeepAliveMs * 2);
  EXPECT_EQ(engine.polls, 5);
  EXPECT_FALSE(host.Armed(MonitorTimer::KeepAlive));
  EXPECT_FALSE(host.Armed(MonitorTimer::Answer));
}

// A gateway restart while paused (a firmware update) ends no monitoring; Resume starts it again at once, or,
// with the link down, once the link is back. Neither pause marker goes to the file.
TEST_F(MonitorLogTest, PauseOutlivesAGatewayRestartAndResumeStartsMonitoringAgain) {
  log->monitoringStarted();
  const std::string head = FileText();
  log->Pause();
  log->monitoringStopped();
  EXPECT_TRUE(log->IsActive());
  log->Resume();
  EXPECT_EQ(engine.starts, 1);
  log->Pause();
  clock.Advance(kMonitorKeepAliveMs + kMonitorAnswerTimeoutMs);
  EXPECT_EQ(engine.polls, 0);  // a paused monitor does not poll
  engine.linkOpen = false;
  log->Resume();
  EXPECT_EQ(log->CurrentPauseState(), PauseState::ResumePending);
  clock.Advance(kMonitorKeepAliveMs);
  EXPECT_EQ(engine.starts, 1);
  engine.linkOpen = true;
  clock.Advance(kMonitorKeepAliveMs);
  EXPECT_EQ(engine.starts, 2);
  EXPECT_EQ(log->CurrentPauseState(), PauseState::Running);
  EXPECT_EQ(CountInView("COMMUNICATION LOST"), 0);
  EXPECT_EQ(CountInView("SYSTEM MONITORING TEMPORARY STOPPED"), 2);
  EXPECT_EQ(CountInView("SYSTEM MONITORING RESUMED"), 2);
  EXPECT_EQ(CountInView("SYSTEM MONITORING STOPPED"), 0);
  EXPECT_EQ(FileText(), head);
}

// ---- Start, stop and the save question ----

TEST_F(MonitorLogTest, OnlyAStopOfTheUserAsksToSaveTheLog) {
  const struct { const char* name; bool saveAtEnd, userStop, stopGoesOut; int questions; } rows[] = {
      {"UserStopAsks", true, true, true, 1},
      {"UserStopWithSaveAtEndOffAsksNothing", false, true, true, 0},
      {"RestartNeverAsks", true, false, true, 0},
      {"StopThatDidNotGoOutAsksNothing", true, true, false, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    host.saveQuestions = 0;
    Make({.saveAtEnd = row.saveAtEnd});
    log->monitoringStarted();
    engine.accepts = row.stopGoesOut;
    if (row.userStop) log->Stop();
    log->monitoringStopped();
    EXPECT_EQ(host.saveQuestions, row.questions);
    EXPECT_FALSE(log->IsActive());
    log->monitoringStarted();
    log->monitoringStopped();  // a later stop by a restart asks nothing
    EXPECT_EQ(host.saveQuestions, row.questions);
  }
}

// The view keeps its line limit; the start button clears the log before the gateway confirms.
TEST_F(MonitorLogTest, StartClearsTheLogAsSetAndTheViewKeepsItsLimit) {
  const struct { const char* name; bool clearAtStart, startGoesOut, cleared; } rows[] = {
      {"ClearAtStart", true, true, true},
      {"KeepAtStart", false, true, false},
      {"StartThatDidNotGoOutKeepsTheLog", true, false, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Make({.maxLines = 50, .clearAtStart = row.clearAtStart});
    engine.accepts = true;
    for (int i = 0; i < 500; ++i) log->monitorOutput("trace line\r\n");
    EXPECT_LE(log->View().LineCount(), 50u + 1);  // and the empty line after the last line end
    log->monitoringStopped();
    engine.accepts = row.startGoesOut;
    EXPECT_EQ(log->Start(), row.startGoesOut);
    EXPECT_EQ(ViewText().empty(), row.cleared);
    EXPECT_EQ(FileText().empty(), row.cleared);
  }
}

TEST_F(MonitorLogTest, CommandLineIsSentWithItsLineEndAndClearedWhenMonitoringStops) {
  EXPECT_FALSE(log->CanEditCommand());
  log->monitoringStarted();
  log->SetCommandLine(std::string(200, 'c'));
  EXPECT_EQ(log->CommandLine().size(), kMonitorCommandEditLength);
  log->SetCommandLine("isdn status");
  ASSERT_TRUE(log->Execute());
  EXPECT_EQ(engine.commands.back(), "isdn status\r\n");
  log->ClearCommandLine();
  EXPECT_FALSE(log->CanExecute());
  log->SetCommandLine("gsm");
  log->monitoringStopped();
  EXPECT_EQ(log->CommandLine(), "");
  EXPECT_TRUE(log->CanStart());
  EXPECT_FALSE(log->Execute());
}

// ---- The temporary file ----

// The id of a process that has ended and been waited for.
long EndedProcessId() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

// Each log has a file of its own, named after the process, and deletes it at its end; a new log removes the
// files that ended programs left.
TEST_F(MonitorLogTest, EachLogHasATempFileOfItsOwnAndRemovesOnlyTheFilesOfEndedPrograms) {
  const std::string ended = std::to_string(EndedProcessId());
  const std::string running = std::to_string(::getppid());
  const std::string own = std::to_string(::getpid());
  const std::map<std::string, bool> files{
      {"~monlog-" + ended + ".tmp", false},       {"~monlog-" + ended + "-3.tmp", false},
      {"~monlog-" + running + ".tmp", true},      {"~monlog-" + own + "-99.tmp", true},
      {"~monlog-" + ended + "-x.tmp", true},      {"~monlog-" + ended + ".txt", true},
      {"saved-" + ended + ".tmp", true},
  };
  for (const auto& [name, kept] : files) std::ofstream(temp.path() / name) << "trace";
  std::optional<MonitorLog> second;
  second.emplace(engine, host, MonitorLogSettings{}, temp.path());
  for (const auto& [name, kept] : files) EXPECT_EQ(fs::exists(temp.path() / name), kept) << name;
  const fs::path firstPath = log->TempFilePath();
  const fs::path secondPath = second->TempFilePath();
  EXPECT_NE(firstPath, secondPath);
  EXPECT_EQ(secondPath.parent_path(), temp.path());
  EXPECT_TRUE(secondPath.filename().string().starts_with("~monlog-" + own));
  second.reset();
  EXPECT_FALSE(fs::exists(secondPath));
  EXPECT_TRUE(fs::exists(firstPath));
}

TEST_F(MonitorLogTest, UnwritableFolderIsReportedAndTheViewWorksWithoutTheFile) {
  const fs::path blocker = temp.path() / "not-a-folder";
  std::ofstream(blocker) << "x";
  Make(MonitorLogSettings{}, blocker / "cache");
  EXPECT_TRUE(log->TempFileError());
  log->monitorOutput("shown\r\n");
  log->Clear();
  log->monitorOutput("still shown\r\n");
  EXPECT_NE(ViewText().find("still shown"), std::string::npos);
  EXPECT_TRUE(log->Save(temp.path() / "saved.txt"));
  EXPECT_FALSE(fs::exists(temp.path() / "saved.txt"));
}

// The copy goes in pieces: a log of 256 KiB needs several.
TEST_F(MonitorLogTest, ClearStartsTheFileAnewAndSaveReplacesTheTarget) {
  log->monitorOutput("gone\r\n");
  log->Clear();
  EXPECT_EQ(ViewText(), "");
  EXPECT_EQ(FileText(), "");
  const std::string line = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcde\r\n";
  for (int i = 0; i < 4096; ++i) log->monitorOutput(line);

  const fs::path saved = temp.path() / "saved.txt";
  std::ofstream(saved) << "an older log file";
  ASSERT_FALSE(log->Save(saved));
  EXPECT_EQ(test::ReadFileText(saved), FileText());
  log->monitorOutput("more\r\n");  // the file goes on after a save
  EXPECT_TRUE(FileText().ends_with(line + "more\r\n"));
  EXPECT_TRUE(log->Save(log->TempFilePath()));  // not over itself
  EXPECT_TRUE(FileText().ends_with(line + "more\r\n"));
}

}  // namespace
}  // namespace tusko
