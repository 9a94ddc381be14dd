#pragma once

// The fields of the ISDN pages and of the credit records.

#include <array>

#include "config/FieldCatalog.h"

namespace tusko::catalog::isdn {

inline constexpr std::array<Choice, 3> kDialTones{{
    {"strIsdnCommonNoDialtone", 0},
    {"strIsdnCommonContinuos", 1},
    {"strIsdnCommonMorseA", 2},
}};

inline constexpr std::array<Choice, 3> kModes{{
    {"strIsdnModeSynchro", 0},
    {"strIsdnModeTransit", 1},
    {"strIsdnModeTe", 2},
}};

// "strIsdnLinkDisabled" joins them when the page is relabelled.
inline constexpr std::array<Choice, 2> kSignalling{{
    {"strIsdnLinkDss1", 0},
    {"strIsdnLinkQsig", 1},
}};
inline constexpr std::array<Choice, 3> kSignallingRelabelled{{
    {"strIsdnLinkDss1", 0},
    {"strIsdnLinkQsig", 1},
    {"strIsdnLinkDisabled", 2},
}};

inline constexpr std::array<Choice, 2> kPointToPoint{{
    {"strIsdnLinkPointToMultipoint", 0},
    {"strIsdnLinkPointToPoint", 1},
}};

inline constexpr std::array<Choice, 2> kLayer1{{
    {"strIsdnLinkDeactivate", 0},
    {"strIsdnLinkPermanent", 1},
}};

inline constexpr std::array<Field, 12> kCommonFields{{
    {.name = "dialTone", .encoding = Encoding::Byte, .offset = 322, .editor = Editor::Radio, .choices = kDialTones},
    {.name = "waitDialing", .labelKey = "strIsdnCommonWaitDialing", .encoding = Encoding::Word16, .offset = 320,
     .editor = Editor::Number, .min = 1, .max = 60, .defaultNumber = 6},
    {.name = "timeSaveCallback", .labelKey = "strIsdnCommonTimeSaveCallback", .offset = 323,
     .editor = Editor::Number, .min = 0, .max = 48},
    {.name = "channelAssociation", .labelKey = "strIsdnCommonChanAssociation", .offset = 324,
     .editor = Editor::Check},
    {.name = "progressTone", .labelKey = "strIsdnCommonProgressTone", .offset = 326, .editor = Editor::Check,
     .defaultNumber = 1},
    {.name = "substituteInternational", .labelKey = "strIsdnCommonSubstituteInternationalFormat", .offset = 329,
     .editor = Editor::Check, .defaultNumber = 1, .checked = Checked::WhenNotZero},
    {.name = "cutPrefix", .labelKey = "strIsdnCommonCutPrefix", .offset = 352, .editor = Editor::Check},
    {.name = "countryPrefix", .labelKey = "strIsdnCommonCountryPrefix", .encoding = Encoding::CountedString,
     .offset = 340, .width = 12, .editor = Editor::Text, .charset = "0123456789+", .maxChars = 11},
    {.name = "timeoutNoAnswer", .labelKey = "strIsdnCommonTimeoutNoAnswer", .offset = 325,
     .editor = Editor::Number, .min = 0, .max = 255, .defaultNumber = 30},
    {.name = "delayAlerting", .labelKey = "strIsdnCommonDelayAlerting", .encoding = Encoding::DelayAlerting,
     .offset = 328, .editor = Editor::Text, .charset = "0123456789R", .maxChars = 2, .defaultText = "0",
     .unset = Unset::ShowsAs},
    {.name = "connectWithAlerting", .labelKey = "strIsdnCommonConnectWithAlerting", .offset = 355,
     .editor = Editor::Check, .unset = Unset::ShowsAs, .checked = Checked::WhenNotZero},
    {.name = "causeGsmBusy", .labelKey = "strIsdnCommonCauseGsmBusy", .offset = 330, .editor = Editor::Number,
     .min = 1, .max = 127, .defaultNumber = 3, .unset = Unset::ShowsAs, .unsetShows = 3},
}};

inline constexpr std::array<Field, 1> kModeFields{{
    {.name = "mode", .labelKey = "strIsdnMode", .offset = 357, .editor = Editor::Radio, .choices = kModes},
}};

inline constexpr std::uint8_t kChannelBlocked = 244;

// An ISDN link record, from 256 + 32k.
inline constexpr std::array<Field, 11> kLinkFields{{
    {.name = "signalling", .labelKey = "strIsdnLinkSignalization", .offset = 8, .editor = Editor::Choice,
     .choices = kSignalling},
    {.name = "pointToPoint", .offset = 4, .editor = Editor::Radio, .choices = kPointToPoint,
     .checked = Checked::WhenNotZero},
    {.name = "layer1", .labelKey = "strIsdnLinkL1", .offset = 0, .editor = Editor::Radio, .choices = kLayer1,
     .checked = Checked::WhenNotZero},
    {.name = "restartLayer3", .labelKey = "strIsdnLinkRestartL3", .offset = 9, .editor = Editor::Check,
     .checked = Checked::WhenNotZero},
    {.name = "blockB1", .labelKey = "strIsdnLinkBlockB1", .offset = 10, .editor = Editor::Check,
     .on = kChannelBlocked},
    {.name = "blockB2", .labelKey = "strIsdnLinkBlockB2", .offset = 11, .editor = Editor::Check,
     .on = kChannelBlocked},
    {.name = "tei", .labelKey = "strIsdnLinkTei", .offset = 5, .editor = Editor::Number, .min = 0, .max = 127,
     .expert = true},
    ZeroReserved(1, 1),
    Reserved(2, 2),
    Reserved(6, 2),
    Reserved(12, 20),
}};

inline constexpr std::int64_t kMaxCreditMinutes = 44640;
inline constexpr std::uint8_t kBlockOn = 255;

constexpr Field CreditMinutes(std::string_view name, std::string_view label, std::size_t offset) {
  return {.name = name, .labelKey = label, .encoding = Encoding::Minutes32, .offset = offset,
          .editor = Editor::Number, .min = 0, .max = kMaxCreditMinutes};
}
constexpr Field Count(std::string_view name, std::string_view label, std::size_t offset) {
  return {.name = name, .labelKey = label, .offset = offset, .editor = Editor::Number, .min = 1, .max = 255,
          .defaultNumber = 1};
}
constexpr Field Blocks(std::string_view name, std::size_t offset) {
  return {.name = name, .labelKey = "strIsdnLinkBlockOutCallNoCredit", .offset = offset, .editor = Editor::Check,
          .defaultNumber = 1, .on = kBlockOn};
}
// Credits 4..6: kept, but reset with the record.
constexpr Field KeptWords(std::size_t offset) {
  return {.encoding = Encoding::Bytes, .offset = offset, .width = 12};
}
constexpr Field KeptBytes(std::size_t offset, std::int64_t value) {
  return {.encoding = Encoding::Bytes, .offset = offset, .width = 3, .defaultNumber = value};
}

// The credit part of a CreditRecord, from the record's credit part on.
inline constexpr std::array<Field, 21> kCreditFields{{
    {.name = "restore", .offset = 66, .editor = Editor::Restore, .defaultNumber = 1},
    CreditMinutes("credit1", "strIsdnLinkCreditMinutes", 0),
    CreditMinutes("oldCredit1", "strIsdnLinkOldCredit", 24),
    Count("firstCount1", "strIsdnLinkFirstCount", 48),
    Count("nextCount1", "strIsdnLinkNextCount", 54),
    Blocks("blocks1", 60),
    CreditMinutes("credit2", "strIsdnLinkCreditMinutes", 4),
    CreditMinutes("oldCredit2", "strIsdnLinkOldCredit", 28),
    Count("firstCount2", "strIsdnLinkFirstCount", 49),
    Count("nextCount2", "strIsdnLinkNextCount", 55),
    Blocks("blocks2", 61),
    CreditMinutes("credit3", "strIsdnLinkCreditMinutes", 8),
    CreditMinutes("oldCredit3", "strIsdnLinkOldCredit", 32),
    Count("firstCount3", "strIsdnLinkFirstCount", 50),
    Count("nextCount3", "strIsdnLinkNextCount", 56),
    Blocks("blocks3", 62),
    KeptWords(12),
    KeptWords(36),
    KeptBytes(51, 1),
    KeptBytes(57, 1),
    KeptBytes(63, kBlockOn),
}};
inline constexpr std::size_t kCreditPartSize = 67;

inline constexpr std::array<Field, 1> kLinkCreditTail{{Reserved(0, 29)}};

}  // namespace tusko::catalog::isdn
