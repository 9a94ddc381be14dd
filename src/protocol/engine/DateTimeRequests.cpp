// The gateway's clock: reading it with its last synchronisation, and setting it.
#include <chrono>
#include <optional>
#include <span>

#include "protocol/ElementLayouts.h"
#include "protocol/engine/DeviceMaintenance.h"
#include "protocol/engine/IdleRequests.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko {

namespace {

constexpr IdleRequestStart kGetTimeStart{GetTimePending, "Get date/time", Notification::GetTimeRequested, true};
constexpr IdleRequestStart kSetTimeStart{SetTimePending, "Set date/time", Notification::SetTimeRequested, true};

// The one-byte year of the DateTime element reaches this far.
constexpr int kLastSettableYear = kYearBase + 0xFF;
constexpr unsigned kHoursPerDay = 24, kMinutesPerHour = 60, kSecondsPerMinute = 60;

// The DateTime fields of a record, or nothing when the record names no real
// time the gateway can take: its bytes would otherwise be cut and set a
// different time than the one asked for.
std::optional<DateTimeFields> SettableFields(const DateTimeRecord& time) {
  using namespace std::chrono;
  const year_month_day date{year{time.year}, month{time.month}, day{time.day}};
  if (!date.ok() || time.year < kYearBase || time.year > kLastSettableYear || time.hour >= kHoursPerDay ||
      time.minute >= kMinutesPerHour || time.second >= kSecondsPerMinute) {
    return std::nullopt;
  }
  return DateTimeFields{static_cast<std::uint8_t>(time.second), static_cast<std::uint8_t>(time.minute),
                        static_cast<std::uint8_t>(time.hour),   static_cast<std::uint8_t>(time.day),
                        static_cast<std::uint8_t>(time.month),  time.year};
}

DeviceMessage DateTimeRequest(std::span<const std::uint8_t> data) {
  DeviceMessage request = CreateMessage(MessageType::Request);
  AddElement(request, ie::DateTime, data);
  return request;
}

DateTimeRecord ReadTime(const DateTimeFields& fields) {
  DateTimeRecord time;
  time.year = fields.year;
  time.month = fields.month;
  time.day = fields.day;
  time.hour = fields.hour;
  time.minute = fields.minute;
  time.second = fields.second;
  return time;
}

LastSyncRecord ReadLastSync(const ElementView& element) {
  const LastTimeSyncInfo sync = ReadLastTimeSync(element);
  return {static_cast<std::uint8_t>(sync.present ? 1 : 0), sync.first, sync.second, sync.year};
}

void OnDateTime(EngineOperations& engine, const DeviceMessage& reply, const ElementView& element) {
  const bool reading = engine.HasPending(GetTimePending);
  if (reading || engine.HasPending(SetTimePending)) engine.StopTimer();
  if (reading) {
    // A short answer leaves the clock all zero, but the read still ends well.
    DeviceClock& clock = engine.deviceInformation().clock;
    clock = {};
    if (const auto fields = ReadDateTime(element)) clock.time = ReadTime(*fields);
    if (const auto sync = FindElement(reply, ie::LastTimeSync)) clock.lastSync = ReadLastSync(*sync);
    engine.NotifyResult(Notification::GetTimeResult, OperationResult::Done);
    engine.ClearPendingFlag(GetTimePending);
  }
  if (engine.HasPending(SetTimePending)) {
    engine.NotifyResult(Notification::SetTimeResult, OperationResult::Done);
    engine.ClearPendingFlag(SetTimePending);
  }
}

}  // namespace

bool OperationEngine::GetDateTime() {
  const bool repeat = HasPending(GetTimePending);
  if (!BeginRequest(repeat)) return false;
  return SendIdleRequest(*this, kGetTimeStart, DateTimeRequest({}), repeat);
}

bool OperationEngine::SetDateTime(const DateTimeRecord& time) {
  const auto fields = SettableFields(time);
  if (!fields) return false;
  const bool repeat = HasPending(SetTimePending);
  if (!BeginRequest(repeat)) return false;
  // Kept for the repeats, which pass this record back in.
  info_.clock.time = time;
  return SendIdleRequest(*this, kSetTimeStart, DateTimeRequest(EncodeDateTime(*fields)), repeat);
}

void RegisterDateTimeRequests(OperationRegistry& registry) {
  IdleRequests& idle = registry.Idle();
  idle.AddRequest(GetTimePending, {.result = Notification::GetTimeResult,
                                   .repeat = [](EngineOperations& e) { e.front().GetDateTime(); },
                                   .onPasswordRequired = PasswordRule::AskPassword});
  idle.AddRequest(SetTimePending,
                  {.result = Notification::SetTimeResult,
                   .repeat = [](EngineOperations& e) { e.front().SetDateTime(e.deviceInformation().clock.time); },
                   .onPasswordRequired = PasswordRule::AskPassword});
  idle.AddReply(ie::DateTime, OnDateTime);
}

}  // namespace tusko
