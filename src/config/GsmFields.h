#pragma once

// The fields of the GSM modules, their groups and the cell selection.

#include <array>

#include "config/FieldCatalog.h"

namespace tusko::catalog::gsm {

inline constexpr std::string_view kDialDigits = "0123456789*#";

inline constexpr std::array<Choice, 2> kInGroups{{{"strGsmInGroup1", 0}, {"strGsmInGroup2", 1}}};
inline constexpr std::array<Choice, 2> kOutGroups{{{"strGsmOutGroup1", 0}, {"strGsmOutGroup2", 1}}};
inline constexpr std::array<Choice, 3> kSecondOutGroups{{
    {"strGsmOutGroupNone", 255},
    {"strGsmOutGroup1", 0},
    {"strGsmOutGroup2", 1},
}};
inline constexpr std::array<Choice, 3> kSelections{{
    {"strGsmOutGroupFromFirst", 0},
    {"strGsmOutGroupCyclic", 1},
    {"strGsmOutGroupCredit", 2},
}};
inline constexpr std::array<Choice, 2> kOutputLines{{{"strIsdnLink1", 0}, {"strIsdnLink2", 1}}};
// Offered only where the language file names the mode.
inline constexpr std::array<Choice, 20> kInGroupModes{{
    {"strGsmInGroupMode0", 0},   {"strGsmInGroupMode1", 1},   {"strGsmInGroupMode2", 2},
    {"strGsmInGroupMode3", 3},   {"strGsmInGroupMode4", 4},   {"strGsmInGroupMode5", 5},
    {"strGsmInGroupMode6", 6},   {"strGsmInGroupMode7", 7},   {"strGsmInGroupMode8", 8},
    {"strGsmInGroupMode9", 9},   {"strGsmInGroupMode10", 10}, {"strGsmInGroupMode11", 11},
    {"strGsmInGroupMode12", 12}, {"strGsmInGroupMode13", 13}, {"strGsmInGroupMode14", 14},
    {"strGsmInGroupMode15", 15}, {"strGsmInGroupMode16", 16}, {"strGsmInGroupMode17", 17},
    {"strGsmInGroupMode18", 18}, {"strGsmInGroupMode19", 19},
}};
inline constexpr std::int64_t kModeWithExtensions = 8;
inline constexpr std::size_t kDialDigitsMaxChars = 23;

// Group assignment of a module, from 448 + 4m; edited on the module's tab.
inline constexpr std::array<Field, 4> kAssignmentFields{{
    {.name = "outGroup", .labelKey = "strGsmModuleOutGroup", .offset = 0, .editor = Editor::Choice,
     .choices = kOutGroups},
    {.name = "inGroup", .labelKey = "strGsmModuleInGroup", .offset = 1, .editor = Editor::Choice,
     .choices = kInGroups},
    {.name = "secondOutGroup", .labelKey = "strGsmModuleSecondOutGroup", .offset = 2, .editor = Editor::Choice,
     .choices = kSecondOutGroups, .defaultNumber = 255},
    Reserved(3, 1),
}};

// Outgoing group record, from 456 + 16g.
inline constexpr std::array<Field, 3> kOutGroupFields{{
    {.name = "selection", .offset = 0, .editor = Editor::Radio, .choices = kSelections},
    {.name = "ddiDigits", .labelKey = "strGsmOutGroupDdiDigits", .offset = 1, .editor = Editor::Number, .min = 0,
     .max = 20, .unset = Unset::ShowsAs, .hiddenWithoutLabel = true, .writtenWhenHidden = true},
    Reserved(2, 14),
}};

constexpr Field DialText(std::string_view name, std::string_view label, std::size_t offset) {
  return {.name = name, .labelKey = label, .encoding = Encoding::CountedString, .offset = offset, .width = 24,
          .editor = Editor::Text, .charset = kDialDigits, .maxChars = kDialDigitsMaxChars};
}

// Incoming group record, from 488 + 208g.
inline constexpr std::array<Field, 12> kInGroupFields{{
    {.name = "mode", .labelKey = "strGsmInGroupMode", .offset = 0, .editor = Editor::Choice,
     .choices = kInGroupModes, .choicesNeedText = true},
    {.name = "waitDisa", .labelKey = "strGsmInGroupWaitDisa", .offset = 1, .editor = Editor::Number, .min = 0,
     .max = 60},
    {.name = "minExtension", .labelKey = "strGsmInGroupMinExten", .offset = 2, .editor = Editor::Number, .min = 1,
     .max = 20, .defaultNumber = 3},
    {.name = "maxExtension", .labelKey = "strGsmInGroupMaxExten", .offset = 3, .editor = Editor::Number, .min = 1,
     .max = 20, .defaultNumber = 3},
    DialText("prefix", "strGsmInGroupPrefix", 8),
    DialText("callbackPrefix", "strGsmInGroupCallbackPrefix", 32),
    {.name = "callbackCut", .labelKey = "strGsmInGroupCallbackCut", .offset = 4, .editor = Editor::Number,
     .min = 0, .max = 20},
    {.name = "ddiDigits", .labelKey = "strGsmInGroupDdiDigits", .offset = 5, .editor = Editor::Number, .min = 0,
     .max = 20, .unset = Unset::ShowsAs, .hiddenWithoutLabel = true, .writtenWhenHidden = true},
    {.name = "outputLine", .labelKey = "strGsmInGroupOutputLine", .encoding = Encoding::LineLetter, .offset = 6,
     .editor = Editor::Choice, .choices = kOutputLines},
    Reserved(7, 1),
    {.name = "extensions", .labelKey = "strGsmInGroupExtensions", .encoding = Encoding::CountedList,
     .offset = 56, .width = 24, .editor = Editor::List, .charset = kDialDigits, .maxChars = kDialDigitsMaxChars,
     .count = 5, .enabledBy = "mode", .enabledValue = kModeWithExtensions, .quietList = true,
     .movableEntries = true, .emptySlotsCleared = true},
    Reserved(176, 32),
}};

// The incoming group's second record, from 22188 + 208g; edited on the group's tab.
inline constexpr std::array<Field, 4> kInGroupSecondFields{{
    Reserved(0, 32),
    {.name = "fraudProtectedCall", .labelKey = "strGsmInGroupFraudProtectedCall",
     .encoding = Encoding::CountedString, .offset = 32, .width = 24, .editor = Editor::Text,
     .charset = kDialDigits, .maxChars = kDialDigitsMaxChars, .unsetByDefault = true, .hiddenWithoutLabel = true,
     .writtenWhenHidden = true},
    {.name = "extensionsSecond", .labelKey = "strGsmInGroupExtensionsSecond", .encoding = Encoding::CountedList,
     .offset = 56, .width = 24, .editor = Editor::List, .charset = kDialDigits, .maxChars = kDialDigitsMaxChars,
     .count = 5, .unsetByDefault = true, .enabledBy = "mode", .enabledValue = kModeWithExtensions,
     .clearedWhenDisabled = true, .quietList = true, .movableEntries = true, .emptySlotsCleared = true},
    Reserved(176, 32),
}};

// A module record without its credit part, from 904 + 128m.
inline constexpr std::array<Field, 10> kModuleFields{{
    {.name = "disabled", .labelKey = "strGsmModuleDisable", .offset = 0, .editor = Editor::Check,
     .on = 255, .off = 1},
    {.name = "echoCancel", .labelKey = "strGsmModuleEchoCancel", .encoding = Encoding::Bit, .offset = 1,
     .mask = 0x02, .editor = Editor::Check, .otherBits = OtherBits::Rebuilt, .excludes = "dtmfRetransmission"},
    {.name = "roaming", .labelKey = "strGsmModuleRoaming", .encoding = Encoding::Bit, .offset = 1, .mask = 0x01,
     .editor = Editor::Check, .otherBits = OtherBits::Rebuilt},
    {.name = "clir", .labelKey = "strGsmModuleClir", .encoding = Encoding::Bit, .offset = 1, .mask = 0x04,
     .editor = Editor::Check, .otherBits = OtherBits::Rebuilt},
    {.name = "amr", .labelKey = "strGsmModuleAmr", .encoding = Encoding::Bit, .offset = 1, .mask = 0x08,
     .editor = Editor::Check, .defaultNumber = 1, .otherBits = OtherBits::Rebuilt},
    {.name = "dtmfRetransmission", .labelKey = "strGsmModuleDtmfRetransmission", .encoding = Encoding::Bit,
     .offset = 1, .mask = 0x10, .editor = Editor::Check, .otherBits = OtherBits::Rebuilt, .excludes = "echoCancel"},
    {.name = "volumeIsdn", .labelKey = "strGsmModuleVolumeIsdn", .encoding = Encoding::Volume, .offset = 2,
     .editor = Editor::Number, .min = -6, .max = 12},
    {.name = "volumeGsm", .labelKey = "strGsmModuleVolumeGsm", .encoding = Encoding::Volume, .offset = 3,
     .editor = Editor::Number, .min = -6, .max = 12},
    {.name = "pin", .labelKey = "strGsmModulePin", .encoding = Encoding::Digits, .offset = 4, .width = 8,
     .editor = Editor::Text, .charset = "0123456789", .maxChars = 8, .unsetByDefault = true},
    Reserved(79, 49),
}};

// The module's second record without its credit part, from 22604 + 128m; no page edits it.
inline constexpr std::array<Field, 2> kModuleSecondFields{{Reserved(0, 12), Reserved(79, 49)}};

// The cell selection, from 21672.
inline constexpr std::array<Field, 3> kCellSelectionFields{{
    {.name = "action", .offset = 21672, .unsetByDefault = true},
    {.name = "cellCount", .offset = 21673, .unsetByDefault = true},
    Reserved(21674, 2),
}};

// A cell record, from 21676 + 16c.
inline constexpr std::array<Field, 6> kCellFields{{
    {.name = "mcc", .encoding = Encoding::Bytes, .offset = 0, .width = 3, .unsetByDefault = true},
    Reserved(3, 1),
    {.name = "mnc", .encoding = Encoding::Bytes, .offset = 4, .width = 2, .unsetByDefault = true},
    {.name = "lac", .encoding = Encoding::Bytes, .offset = 6, .width = 4, .unsetByDefault = true},
    {.name = "cellId", .encoding = Encoding::Bytes, .offset = 10, .width = 4, .unsetByDefault = true},
    Reserved(14, 2),
}};

}  // namespace tusko::catalog::gsm
