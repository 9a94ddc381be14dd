#pragma once

// The fields of the GSM modules, their groups and the cell selection.

#include <array>

#include "config/FieldCatalog.h"

namespace tusko::catalog::gsm {

inline constexpr std::string_view kDialDigits = "0123456789*#";

// Group assignment of a module, from 448 + 4m.
inline constexpr std::array<Field, 4> kAssignmentFields{{
    {.name = "outGroup", .offset = 0},
    {.name = "inGroup", .offset = 1},
    {.name = "secondOutGroup", .offset = 2, .defaultNumber = 255},
    Reserved(3, 1),
}};

// Outgoing group record, from 456 + 16g.
inline constexpr std::array<Field, 3> kOutGroupFields{{
    {.name = "selection", .offset = 0},
    {.name = "ddiDigits", .labelKey = "strGsmOutGroupDdiDigits", .offset = 1},
    Reserved(2, 14),
}};

// Incoming group record, from 488 + 208g.
inline constexpr std::array<Field, 12> kInGroupFields{{
    {.name = "mode", .labelKey = "strGsmInGroupMode", .offset = 0},
    {.name = "waitDisa", .labelKey = "strGsmInGroupWaitDisa", .offset = 1},
    {.name = "minExtension", .labelKey = "strGsmInGroupMinExten", .offset = 2, .defaultNumber = 3},
    {.name = "maxExtension", .labelKey = "strGsmInGroupMaxExten", .offset = 3, .defaultNumber = 3},
    {.name = "callbackCut", .labelKey = "strGsmInGroupCallbackCut", .offset = 4},
    {.name = "ddiDigits", .labelKey = "strGsmInGroupDdiDigits", .offset = 5, .unset = Unset::ShowsAs},
    {.name = "outputLine", .labelKey = "strGsmInGroupOutputLine", .encoding = Encoding::LineLetter, .offset = 6},
    Reserved(7, 1),
    {.name = "prefix", .labelKey = "strGsmInGroupPrefix", .encoding = Encoding::CountedString, .offset = 8,
     .width = 24, .charset = kDialDigits, .maxChars = 23},
    {.name = "callbackPrefix", .labelKey = "strGsmInGroupCallbackPrefix", .encoding = Encoding::CountedString,
     .offset = 32, .width = 24, .charset = kDialDigits, .maxChars = 23},
    {.name = "extensions", .labelKey = "strGsmInGroupExtensions", .encoding = Encoding::CountedList,
     .offset = 56, .width = 24, .charset = kDialDigits, .maxChars = 23, .count = 5},
    Reserved(176, 32),
}};

// The incoming group's second record, from 22188 + 208g.
inline constexpr std::array<Field, 4> kInGroupSecondFields{{
    Reserved(0, 32),
    {.name = "fraudProtectedCall", .labelKey = "strGsmInGroupFraudProtectedCall",
     .encoding = Encoding::CountedString, .offset = 32, .width = 24, .charset = kDialDigits, .maxChars = 23,
     .unsetByDefault = true},
    {.name = "extensionsSecond", .labelKey = "strGsmInGroupExtensionsSecond", .encoding = Encoding::CountedList,
     .offset = 56, .width = 24, .charset = kDialDigits, .maxChars = 23, .count = 5, .unsetByDefault = true},
    Reserved(176, 32),
}};

// A module record without its credit part, from 904 + 128m.
inline constexpr std::array<Field, 10> kModuleFields{{
    {.name = "disabled", .labelKey = "strGsmModuleDisable", .offset = 0, .editor = Editor::Check, .on = 255,
     .off = 1},
    {.name = "roaming", .labelKey = "strGsmModuleRoaming", .encoding = Encoding::Bit, .offset = 1, .mask = 0x01,
     .editor = Editor::Check, .otherBits = OtherBits::Rebuilt},
    {.name = "echoCancel", .labelKey = "strGsmModuleEchoCancel", .encoding = Encoding::Bit, .offset = 1,
     .mask = 0x02, .editor = Editor::Check, .otherBits = OtherBits::Rebuilt},
    {.name = "clir", .labelKey = "strGsmModuleClir", .encoding = Encoding::Bit, .offset = 1, .mask = 0x04,
     .editor = Editor::Check, .otherBits = OtherBits::Rebuilt},
    {.name = "amr", .labelKey = "strGsmModuleAmr", .encoding = Encoding::Bit, .offset = 1, .mask = 0x08,
     .editor = Editor::Check, .defaultNumber = 1, .otherBits = OtherBits::Rebuilt},
    {.name = "dtmfRetransmission", .labelKey = "strGsmModuleDtmfRetransmission", .encoding = Encoding::Bit,
     .offset = 1, .mask = 0x10, .editor = Editor::Check, .otherBits = OtherBits::Rebuilt},
    {.name = "volumeIsdn", .labelKey = "strGsmModuleVolumeIsdn", .encoding = Encoding::Volume, .offset = 2},
    {.name = "volumeGsm", .labelKey = "strGsmModuleVolumeGsm", .encoding = Encoding::Volume, .offset = 3},
    {.name = "pin", .labelKey = "strGsmModulePin", .encoding = Encoding::Digits, .offset = 4, .width = 8,
     .unsetByDefault = true},
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
