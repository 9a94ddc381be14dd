#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/engine/DeviceClock.h"

namespace tusko::cli {

// The years the date and time dialog offers too.
inline constexpr int kGatewayFirstYear = 2000;
inline constexpr int kGatewayLastYear = 2099;

// "now" (the machine's local time) or a local time as YYYY-MM-DDTHH:MM:SS
// (a blank may stand for the T). Nothing for any other text or a date that
// does not exist or that the gateway cannot hold.
std::optional<DateTimeRecord> ParseDateTimeArgument(std::string_view text, const std::tm& now);

// The machine's local time now.
std::tm LocalTimeNow();

// YYYY-MM-DD HH:MM:SS.
std::string FormatDateTime(const DateTimeRecord& time);

}  // namespace tusko::cli
