#include "sim/GatewayMonitoring.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "sim/GatewayReplies.h"
#include "sim/GatewayState.h"

namespace tusko::sim {

namespace {

using std::chrono::milliseconds;

constexpr std::string_view kMaskPrefix = "V=";
constexpr std::size_t kMaskDigits = 4;
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::int64_t kMsPerSecond = 1000;
constexpr milliseconds kMaxTraceCatchUp = std::chrono::hours(1);

// What each category of an idle gateway has to say.
constexpr std::array<std::string_view, kTraceCategoryCount> kCategoryTexts{
    "ISDN 1 layer 1 active",      "ISDN 2 layer 1 active",      "ISDN layer 2 RR",
    "ISDN layer 3 no call",       "LCR table 1 checked",        "CLIP rules checked",
    "GSM 1 signal 21",            "GSM 2 signal 18",            "GSM 1 registered",
    "GSM 2 registered",           "SMS queue empty",            "credit within limits",
    "CDR store ready",            "LAN link up",                "no alarm",
    // The gateway's single-byte character set: "Rufumleitung für Büro" in Latin-1.
    "Rufumleitung f\xFCr B\xFCro",
};

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

}  // namespace

void MonitorTrace::SetRate(unsigned linesPerSecond) {
  rate_ = std::min(linesPerSecond, kMaxTraceLinesPerSecond);
  Restart();
}

bool MonitorTrace::TakeCommand(std::string_view command) {
  if (!command.starts_with(kMaskPrefix)) return false;
  command.remove_prefix(kMaskPrefix.size());
  const std::string_view digits = command.substr(0, kMaskDigits);
  const std::string_view rest = command.substr(digits.size());
  if (digits.size() != kMaskDigits || !std::all_of(digits.begin(), digits.end(), IsHexDigit)) return false;
  if (!rest.empty() && rest != kLineEnd) return false;
  std::uint16_t mask = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), mask, 16);
  mask_ = mask;
  return true;
}

void MonitorTrace::Restart() {
  running_ = milliseconds::zero();
  linesDone_ = 0;
  bannerOpen_ = true;
}

std::vector<std::string> MonitorTrace::Advance(milliseconds elapsed, GatewayClock::TimePoint now) {
  if (elapsed <= milliseconds::zero()) return {};
  // A longer jump of time only loses lines, and must not overflow the count.
  running_ += std::min(elapsed, kMaxTraceCatchUp);
  const auto due = static_cast<std::uint64_t>(running_.count()) * rate_ / kMsPerSecond;
  const std::uint64_t fresh = due - linesDone_;
  linesDone_ = due;
  if (mask_ == 0) return {};

  // The banner that answers the start has no line end: the first line ends it.
  std::string stream(bannerOpen_ && fresh > 0 ? kLineEnd : std::string_view());
  if (fresh > 0) bannerOpen_ = false;
  for (std::uint64_t i = 0; i < std::min<std::uint64_t>(fresh, kMaxTraceBurstLines); ++i) stream += NextLine(now);
  std::vector<std::string> texts;
  for (std::size_t at = 0; at < stream.size(); at += kMaxTraceTextBytes) {
    texts.push_back(stream.substr(at, kMaxTraceTextBytes));
  }
  return texts;
}

std::string MonitorTrace::NextLine(GatewayClock::TimePoint now) {
  while ((mask_ & (1u << nextCategory_)) == 0) nextCategory_ = (nextCategory_ + 1) % kTraceCategoryCount;
  const std::size_t category = nextCategory_;
  nextCategory_ = (nextCategory_ + 1) % kTraceCategoryCount;

  const std::chrono::hh_mm_ss time{now - std::chrono::floor<std::chrono::days>(now)};
  char line[96];
  std::snprintf(line, sizeof line, "%02d:%02d:%02d.%03d C%02zu #%06llu %.*s", static_cast<int>(time.hours().count()),
                static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()),
                static_cast<int>(time.subseconds().count()), category + 1,
                static_cast<unsigned long long>(++sequence_), static_cast<int>(kCategoryTexts[category].size()),
                kCategoryTexts[category].data());
  return line + std::string(kLineEnd);
}

DeviceMessage HandleMonitorStart(GatewayState& state, const DeviceMessage&) {
  state.monitoring = true;
  state.trace.Restart();
  // The first line of monitoring output comes with the answer.
  DeviceMessage reply = CreateMessage(MessageType::Reply);
  const GatewayIdentity& identity = state.identity;
  const std::string banner = "Monitor on - " + identity.deviceName + " " + identity.firmwareVersion;
  AddTextElement(reply, ie::MonitorStart, banner, false);
  return reply;
}

DeviceMessage HandleMonitorStop(GatewayState& state, const DeviceMessage&) {
  state.monitoring = false;
  return MakeReply(ie::MonitorStop);
}

DeviceMessage HandleMonitorPoll(GatewayState&, const DeviceMessage&) { return MakeReply(ie::MonitorPoll); }

DeviceMessage HandleMonitorCommand(GatewayState& state, const DeviceMessage& request) {
  if (!state.monitoring) return MakeReject(cause::NotAllowed);
  if (const auto command = FindElement(request, ie::MonitorCommand)) {
    state.trace.TakeCommand(ElementText(*command, kMaxIeAreaLength));
  }
  return MakeReply(ie::MonitorCommand);
}

std::vector<DeviceMessage> AdvanceMonitorTrace(GatewayState& state, milliseconds elapsed) {
  if (!state.monitoring || state.phase != GatewayPhase::Firmware) return {};
  std::vector<DeviceMessage> output;
  for (const std::string& text : state.trace.Advance(elapsed, state.clock.Now())) {
    DeviceMessage message = CreateMessage(MessageType::Reply);
    AddTextElement(message, ie::MonitorStart, text, false);
    output.push_back(message);
  }
  return output;
}

}  // namespace tusko::sim
