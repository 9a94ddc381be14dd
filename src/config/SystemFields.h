#pragma once

// The fields of the system pages and the general block's own bytes.

#include <array>

#include "config/FieldCatalog.h"

namespace tusko::catalog::system {

inline constexpr std::string_view kDigits = "0123456789";

inline constexpr std::array<Choice, 25> kTimeZones{{
    {"UTC-12:00", 140, true}, {"UTC-11:00", 139, true}, {"UTC-10:00", 138, true}, {"UTC-09:00", 137, true},
    {"UTC-08:00", 136, true}, {"UTC-07:00", 135, true}, {"UTC-06:00", 134, true}, {"UTC-05:00", 133, true},
    {"UTC-04:00", 132, true}, {"UTC-03:00", 131, true}, {"UTC-02:00", 130, true}, {"UTC-01:00", 129, true},
    {"UTC", 0, true},         {"UTC+01:00", 1, true},   {"UTC+02:00", 2, true},   {"UTC+03:00", 3, true},
    {"UTC+04:00", 4, true},   {"UTC+05:00", 5, true},   {"UTC+06:00", 6, true},   {"UTC+07:00", 7, true},
    {"UTC+08:00", 8, true},   {"UTC+09:00", 9, true},   {"UTC+10:00", 10, true},  {"UTC+11:00", 11, true},
    {"UTC+12:00", 12, true},
}};

inline constexpr std::array<Choice, 3> kMobilityModes{{
    {"strSystemGeneralMobilityOff", 0},
    {"strSystemGeneralMobilityUsers", 1},
    {"strSystemGeneralMobilityGlobal", 2},
}};

inline constexpr std::array<Choice, 2> kPbxUserHears{{
    {"strSystemGeneralPbxSilence", 0},
    {"strSystemGeneralPbxAnnouncement", 1},
}};

inline constexpr std::array<Choice, 9> kSendingDays{{
    {"strSystemCreditDontSend", 255},
    {"strSystemCreditEveryDay", 128},
    {"strSystemCreditEveryDay1", 129},
    {"strSystemCreditEveryDay2", 130},
    {"strSystemCreditEveryDay3", 131},
    {"strSystemCreditEveryDay4", 132},
    {"strSystemCreditEveryDay5", 133},
    {"strSystemCreditEveryDay6", 134},
    {"strSystemCreditEveryDay7", 135},
}};

inline constexpr std::array<Choice, 24> kSendingHours{{
    {"00:00", 0, true},  {"01:00", 1, true},  {"02:00", 2, true},  {"03:00", 3, true},  {"04:00", 4, true},
    {"05:00", 5, true},  {"06:00", 6, true},  {"07:00", 7, true},  {"08:00", 8, true},  {"09:00", 9, true},
    {"10:00", 10, true}, {"11:00", 11, true}, {"12:00", 12, true}, {"13:00", 13, true}, {"14:00", 14, true},
    {"15:00", 15, true}, {"16:00", 16, true}, {"17:00", 17, true}, {"18:00", 18, true}, {"19:00", 19, true},
    {"20:00", 20, true}, {"21:00", 21, true}, {"22:00", 22, true}, {"23:00", 23, true},
}};

inline constexpr std::size_t kServerHostMaxChars = 31;
inline constexpr std::size_t kTerminatedMaxChars = 39;
inline constexpr std::size_t kHttpRequestMaxChars = 128;
inline constexpr std::int64_t kSmtpDefaultPort = 25;
inline constexpr std::int64_t kMaxCreditMinutes = 44640;

// The general block's bytes that belong to no page.
inline constexpr std::array<Field, 9> kImageFields{{
    Reserved(0, 6),
    Reserved(104, 4),
    {.name = "signature", .encoding = Encoding::Word32, .offset = 108, .width = 4, .defaultNumber = 0x18010A1A},
    Reserved(112, 144),
    ZeroReserved(332, 3),
    Reserved(335, 5),
    Reserved(358, 2),
    Reserved(364, 84),
    Reserved(29270, 62),
}};

inline constexpr std::array<Field, 10> kGeneralFields{{
    {.name = "name", .labelKey = "strSystemGeneralName", .encoding = Encoding::CountedText, .offset = 6,
     .width = 32, .editor = Editor::Text, .maxChars = 31},
    {.name = "timeSync", .labelKey = "strSystemGeneralTimeSyncAutomatic", .encoding = Encoding::SyncAutomatic,
     .offset = 29268, .editor = Editor::Check},
    {.name = "summerTime", .labelKey = "strSystemGeneralTimeSyncSummerTime", .encoding = Encoding::SyncSummerTime,
     .offset = 29268, .editor = Editor::Check, .enabledBy = "timeSync"},
    {.name = "timeZone", .labelKey = "strSystemGeneralTimeSyncTimeZone", .encoding = Encoding::TimeZone,
     .offset = 29269, .editor = Editor::Choice, .choices = kTimeZones, .unset = Unset::ShowsAs,
     .enabledBy = "timeSync"},
    {.name = "mobilityExtension", .labelKey = "strSystemGeneralMobilityExtension", .offset = 327,
     .editor = Editor::Radio, .choices = kMobilityModes, .unset = Unset::ShowsAs},
    {.name = "numberPortabilityTone", .labelKey = "strSystemGeneralNumberPortabilityTone", .offset = 331,
     .editor = Editor::Check, .checked = Checked::WhenInUse, .hiddenWithoutLabel = true},
    {.name = "outgoingAnnouncement", .labelKey = "strSystemGeneralAnnouncementOut", .encoding = Encoding::Bit,
     .offset = 354, .mask = 0x01, .editor = Editor::Check, .unset = Unset::ShowsAs, .otherBits = OtherBits::Rebuilt},
    {.name = "incomingAnnouncement", .labelKey = "strSystemGeneralAnnouncementIn", .encoding = Encoding::Bit,
     .offset = 354, .mask = 0x02, .editor = Editor::Check, .unset = Unset::ShowsAs, .otherBits = OtherBits::Rebuilt},
    {.name = "pbxUserHears", .labelKey = "strSystemGeneralPbxUserHears", .encoding = Encoding::Bit, .offset = 354,
     .mask = 0x04, .editor = Editor::Radio, .choices = kPbxUserHears, .unset = Unset::ShowsAs,
     .otherBits = OtherBits::Rebuilt},
    {.name = "beepTime", .labelKey = "strSystemGeneralAnnouncementsBeepTime", .offset = 356,
     .editor = Editor::Number, .min = 0, .max = 240, .unsetByDefault = true, .unset = Unset::ShowsAs},
}};

inline constexpr std::array<Field, 6> kNetworkFields{{
    {.name = "lanIp", .labelKey = "strSystemNetIpAddr", .encoding = Encoding::IpDigits, .offset = 39,
     .editor = Editor::IpAddress, .defaultText = "0.0.0.0"},
    {.name = "subnetMask", .labelKey = "strSystemNetMask", .encoding = Encoding::IpDigits, .offset = 51,
     .editor = Editor::IpAddress, .defaultText = "255.255.255.0"},
    {.name = "defaultGateway", .labelKey = "strSystemNetGateway", .encoding = Encoding::IpDigits, .offset = 68,
     .editor = Editor::IpAddress, .defaultText = "0.0.0.0"},
    {.name = "dns1", .labelKey = "strSystemNetDns1", .encoding = Encoding::IpDigits, .offset = 80,
     .editor = Editor::IpAddress, .defaultText = "0.0.0.0"},
    {.name = "dns2", .labelKey = "strSystemNetDns2", .encoding = Encoding::IpDigits, .offset = 92,
     .editor = Editor::IpAddress, .defaultText = "0.0.0.0"},
    {.name = "port", .labelKey = "strSystemNetPort", .encoding = Encoding::PortDigits, .offset = 63,
     .editor = Editor::Number, .min = 1, .max = 65535, .defaultNumber = 1002,
     .messageKey = "strSystemNetworkPortInvalid"},
}};

inline constexpr std::array<Field, 10> kAlarmFields{{
    {.name = "smsNumbers", .labelKey = "strSystemAlarmSmsList", .encoding = Encoding::CountedList,
     .offset = 21160, .width = 24, .editor = Editor::List, .charset = kDigits, .maxChars = 23, .count = 5,
     .unsetByDefault = true, .messageKey = "strSystemAlarmSmsNumberMissing",
     .secondMessageKey = "strSystemAlarmSmsNumberDuplicate"},
    Reserved(21280, 72),
    {.name = "ipServer", .labelKey = "strSystemAlarmIp", .encoding = Encoding::Server, .offset = 21352,
     .editor = Editor::Server, .maxChars = kServerHostMaxChars, .messageKey = "strSystemAlarmIpPortMissing"},
    {.name = "smtpServer", .labelKey = "strSystemAlarmSmtpServer", .encoding = Encoding::Server, .offset = 21472,
     .editor = Editor::Server, .maxChars = kServerHostMaxChars, .unsetByDefault = true,
     .emptyPortShows = kSmtpDefaultPort},
    {.name = "smtpTimeout", .labelKey = "strSystemAlarmSmtpTimeout", .offset = 21592, .editor = Editor::Number,
     .min = 10, .max = 120, .unsetByDefault = true, .unset = Unset::ShowsAs, .unsetShows = 30},
    {.name = "smtpUser", .labelKey = "strSystemAlarmSmtpUser", .encoding = Encoding::TerminatedText,
     .offset = 21512, .editor = Editor::Text, .maxChars = kTerminatedMaxChars, .unsetByDefault = true},
    {.name = "smtpPassword", .labelKey = "strSystemAlarmSmtpPassword", .encoding = Encoding::TerminatedText,
     .offset = 21552, .editor = Editor::Password, .maxChars = kTerminatedMaxChars, .unsetByDefault = true},
    {.name = "smtpFrom", .labelKey = "strSystemAlarmSmtpFrom", .encoding = Encoding::TerminatedText,
     .offset = 21432, .editor = Editor::Text, .maxChars = kTerminatedMaxChars, .unsetByDefault = true},
    {.name = "smtpTo", .labelKey = "strSystemAlarmSmtpTo", .encoding = Encoding::TerminatedText, .offset = 21392,
     .editor = Editor::Text, .maxChars = kTerminatedMaxChars, .unsetByDefault = true},
    Reserved(21593, 79),
}};

inline constexpr std::array<Field, 7> kCdrFields{{
    {.name = "ipServer", .labelKey = "strSystemCdrIp", .encoding = Encoding::Server, .offset = 21932,
     .editor = Editor::Server, .maxChars = kServerHostMaxChars, .unsetByDefault = true,
     .messageKey = "strSystemCdrIpPortMissing"},
    {.name = "alwaysZero", .offset = 21972, .alwaysDefault = true},
    Reserved(21973, 3),
    {.name = "timeout", .labelKey = "strSystemCdrTimeout", .encoding = Encoding::Word16, .offset = 21976,
     .width = 2, .editor = Editor::Number, .min = 1, .max = 65534, .defaultNumber = 1, .unset = Unset::ShowsAs,
     .unsetShows = 1, .zeroIsUnset = true},
    Reserved(21978, 82),
    {.name = "storeAnswered", .labelKey = "strSystemCdrStoreAnswered", .encoding = Encoding::Bit, .offset = 353,
     .mask = 0x01, .editor = Editor::Check, .defaultNumber = 1, .unset = Unset::ShowsAs, .unsetShows = 1,
     .otherBits = OtherBits::Rebuilt},
    {.name = "storeUnanswered", .labelKey = "strSystemCdrStoreUnanswered", .encoding = Encoding::Bit,
     .offset = 353, .mask = 0x02, .editor = Editor::Check, .unset = Unset::ShowsAs, .unsetShows = 1,
     .otherBits = OtherBits::Rebuilt},
}};

inline constexpr std::array<Field, 7> kSmsFields{{
    {.name = "ipServer", .labelKey = "strSystemSmsIp", .encoding = Encoding::Server, .offset = 22060,
     .editor = Editor::Server, .maxChars = kServerHostMaxChars, .unsetByDefault = true,
     .messageKey = "strSystemSmsIpPortMissing"},
    {.name = "alwaysZero", .offset = 22100, .alwaysDefault = true},
    Reserved(22101, 87),
    {.name = "text", .labelKey = "strSystemSmsText", .encoding = Encoding::CountedText, .offset = 23116,
     .width = 160, .editor = Editor::MultiLine, .maxChars = 160},
    Reserved(23277, 91),
    {.name = "module1", .labelKey = "strGsmModule1", .encoding = Encoding::Bit32, .offset = 23368, .mask = 0x01,
     .editor = Editor::Check, .unsetByDefault = true, .otherBits = OtherBits::Rebuilt},
    {.name = "module2", .labelKey = "strGsmModule2", .encoding = Encoding::Bit32, .offset = 23368, .mask = 0x02,
     .editor = Editor::Check, .unsetByDefault = true, .otherBits = OtherBits::Rebuilt},
}};

inline constexpr std::array<Field, 8> kHttpFields{{
    {.name = "requestOut", .labelKey = "strSystemHttpRequestOut", .encoding = Encoding::CountedText,
     .offset = 22860, .width = kHttpRequestMaxChars, .editor = Editor::Text, .maxChars = kHttpRequestMaxChars,
     .messageKey = "strSystemHttpRequestErr", .emptyTextShows = "http://", .httpRequest = true},
    Reserved(22989, 126),
    {.name = "outIsdn1", .labelKey = "strIsdnLink1", .encoding = Encoding::Bit, .offset = 23115, .mask = 0x01,
     .editor = Editor::Check, .unsetByDefault = true},
    {.name = "outIsdn2", .labelKey = "strIsdnLink2", .encoding = Encoding::Bit, .offset = 23115, .mask = 0x02,
     .editor = Editor::Check, .unsetByDefault = true},
    {.name = "requestIn", .labelKey = "strSystemHttpRequestIn", .encoding = Encoding::CountedText,
     .offset = 28372, .width = kHttpRequestMaxChars, .editor = Editor::Text, .maxChars = kHttpRequestMaxChars,
     .messageKey = "strSystemHttpRequestErr", .emptyTextShows = "http://", .httpRequest = true},
    Reserved(28501, 123),
    {.name = "inModule1", .labelKey = "strGsmModule1", .encoding = Encoding::Bit32, .offset = 28624, .mask = 0x01,
     .editor = Editor::Check, .unsetByDefault = true},
    {.name = "inModule2", .labelKey = "strGsmModule2", .encoding = Encoding::Bit32, .offset = 28624, .mask = 0x02,
     .editor = Editor::Check, .unsetByDefault = true},
}};

inline constexpr std::array<Field, 7> kCreditFields{{
    {.name = "ipServer", .labelKey = "strSystemCreditIp", .encoding = Encoding::Server, .offset = 29204,
     .editor = Editor::Server, .maxChars = kServerHostMaxChars, .messageKey = "strSystemCreditIpPortMissing"},
    {.name = "sendGsm", .labelKey = "strSystemCreditGsm", .encoding = Encoding::InvertedBit, .offset = 29244,
     .mask = 0x01, .editor = Editor::Check, .otherBits = OtherBits::Rebuilt},
    {.name = "sendIsdn", .labelKey = "strSystemCreditIsdn", .encoding = Encoding::InvertedBit, .offset = 29244,
     .mask = 0x02, .editor = Editor::Check, .otherBits = OtherBits::Rebuilt},
    {.name = "sendingDay", .labelKey = "strSystemCreditSendingDay", .offset = 29245, .editor = Editor::Choice,
     .choices = kSendingDays, .defaultNumber = 255},
    {.name = "sendingHour", .labelKey = "strSystemCreditSendingHour", .offset = 29246, .editor = Editor::Choice,
     .choices = kSendingHours, .unset = Unset::ShowsAs},
    Reserved(29247, 21),
    {.name = "alarmLimit", .labelKey = "strSystemCreditAlarmLimit", .encoding = Encoding::Minutes32,
     .offset = 360, .width = 4, .editor = Editor::Number, .min = 0, .max = kMaxCreditMinutes,
     .unset = Unset::ShowsAs, .unsetFrom = 0xFFFFFFFE},
}};

}  // namespace tusko::catalog::system
