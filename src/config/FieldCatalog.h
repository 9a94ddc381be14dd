#pragma once

// Every field of the configuration image, described once: where it lies and
// how it is encoded, how a page shows and edits it, its range or choices, its
// default and the page that owns it. The default image, each page's owned
// areas, the generic page model and its window all come from this catalog.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "config/PageId.h"

namespace tusko::catalog {

// How a field's bytes hold its value.
enum class Encoding {
  Reserved,        // kept as the image brought it; written only by a fresh image
  Byte,            // u8
  Word16,          // u16, little-endian
  Word32,          // u32, little-endian
  Minutes32,       // u32 seconds, edited in whole minutes
  Bit,             // the bits `mask` of a byte: 1 when set
  Bit32,           // the bits `mask` of a u32: 1 when set
  InvertedBit,     // the bits `mask` of a byte: 1 when clear
  SyncAutomatic,   // the time synchronisation byte: 1 unless it is 255
  SyncSummerTime,  // the same byte: 1 when it is 1; written only while synchronising
  TimeZone,        // a time zone code: the value is the code
  Volume,          // 128 + level; the value is the level -6..+12
  DelayAlerting,   // 0..15 or 'R', edited as text
  LineLetter,      // 'A' ISDN link 1, 'B' ISDN link 2; the value is the index
  CountedString,   // length byte then characters, `width` bytes in all
  CountedList,     // `count` counted strings of `width` bytes; the list ends at the first empty one
  CountedText,     // length byte at `offset`, characters from offset + 1, `width` characters at most
  TerminatedText,  // 0-terminated in 40 bytes
  IpDigits,        // 12 ASCII digits; the value is "a.b.c.d"
  PortDigits,      // 5 ASCII digits; the value is the port, 0 for none
  Server,          // a server field: address text and port
  Digits,          // up to `width` ASCII digits, 0xFF after them
  Bytes,           // `width` bytes a page of its own edits
};

// The editor a page shows for a field.
enum class Editor {
  None,       // kept, not shown (or shown by a part of its own)
  Text,       // one line, `charset` and `maxChars`
  Password,   // one line shown masked
  MultiLine,  // several lines, `maxChars`
  Number,     // min..max
  Check,      // a check box
  Choice,     // a drop-down list of `choices`
  Radio,      // a group of buttons, one per choice
  IpAddress,  // a dotted address, checked strictly when applied
  Server,     // an address box and a port box
  List,       // a list of texts with Add, Change and Delete
  Restore,    // a credit restore schedule (kind, week, day)
};

// When a check box is checked; it writes `on` or `off`. A group of two
// buttons with WhenNotZero shows its second choice for any byte but 0.
enum class Checked {
  WhenOn,       // the byte equals `on`
  WhenNotZero,  // any byte but 0
  WhenInUse,    // 1..254
};

// What a page shows for a field whose bytes are unset (all 0xFF, or from
// `unsetFrom` on; 0 as well with `zeroIsUnset`). The bytes stay as they are
// until the user edits the field.
enum class Unset {
  Plain,    // the stored value as it is
  ShowsAs,  // shown as `unsetShows`
};

// What the other bits of a bit field's byte become when the field is written.
// Rebuilt: cleared for Bit, set for InvertedBit, except the bits of the
// byte's other fields.
enum class OtherBits { Keep, Rebuilt };

// A choice of a list or a group of buttons: its label and the value stored.
struct Choice {
  std::string_view labelKey;  // a language key, or the text itself when `literal`
  std::int64_t stored = 0;
  bool literal = false;
};

inline constexpr std::int64_t kFromAllOnes = -1;  // `unsetFrom`: only bytes that are all 0xFF

struct Field {
  std::string_view name = {};  // unique within its group; empty for reserved bytes
  std::string_view labelKey = {};
  Encoding encoding = Encoding::Byte;
  std::size_t offset = 0;  // from the group's record (absolute for a single record)
  std::size_t width = 1;   // bytes; texts: see Encoding
  std::uint32_t mask = 0;  // bit encodings
  Editor editor = Editor::None;
  std::int64_t min = 0;
  std::int64_t max = 0;
  std::span<const Choice> choices = {};
  std::string_view charset = {};  // allowed characters of a text; empty for any
  std::size_t maxChars = 0;
  std::size_t count = 1;  // slots of a list
  // The default of a fresh image: a number, or a text for text encodings.
  std::int64_t defaultNumber = 0;
  std::string_view defaultText = {};
  bool unsetByDefault = false;  // a fresh image leaves the bytes 0xFF
  Unset unset = Unset::Plain;
  std::int64_t unsetShows = 0;
  std::int64_t unsetFrom = kFromAllOnes;
  bool zeroIsUnset = false;
  Checked checked = Checked::WhenOn;
  std::int64_t on = 1;
  std::int64_t off = 0;
  OtherBits otherBits = OtherBits::Keep;
  bool alwaysDefault = false;  // written with its default whenever the page writes a field
  // Failure keys: a server's missing port, a request's form, a list's empty and duplicate entry.
  std::string_view messageKey = {};
  std::string_view secondMessageKey = {};
  std::int64_t emptyPortShows = 0;     // the port box of a server field that holds no server
  std::string_view emptyTextShows = {};  // what an empty text field shows
  // The field that enables this one: of the same record number on the page (a check box, or a
  // field whose value must be `enabledValue`).
  std::string_view enabledBy = {};
  bool hiddenWithoutLabel = false;  // absent when the language file gives the label no text
  bool expert = false;              // edited in the page's Expert dialog
  bool httpRequest = false;         // checked as http://host/path?name=NUMBER
  std::int64_t enabledValue = 1;    // the value of `enabledBy` that enables the field
  bool clearedWhenDisabled = false;  // written empty by a page that writes while the field is disabled
  bool writtenWhenHidden = false;    // a hidden field gets its default when the page writes
  std::string_view excludes = {};    // a check box of the same group that checking this one unchecks
  bool choicesNeedText = false;      // a choice whose label has no text is not offered
  bool quietList = false;            // empty, duplicate and surplus entries are ignored without a message
  bool movableEntries = false;       // a list with Up and Down
  bool emptySlotsCleared = false;    // a list's free slots hold an empty string, not 0xFF
};

// Bytes no page edits: kept as the image brought them, 0xFF in a fresh image.
constexpr Field Reserved(std::size_t offset, std::size_t width) {
  return {.encoding = Encoding::Reserved, .offset = offset, .width = width, .unsetByDefault = true};
}
// Reserved bytes a fresh image sets to 0.
constexpr Field ZeroReserved(std::size_t offset, std::size_t width) {
  return {.encoding = Encoding::Reserved, .offset = offset, .width = width};
}

// Fields that repeat: `count` records of `stride` bytes from `base`. A single
// record has base 0 and its fields' offsets are absolute.
struct Group {
  std::string_view name;
  PageId page = PageId::None;
  std::size_t base = 0;
  std::size_t stride = 0;
  std::size_t count = 1;
  std::span<const Field> fields;
  // An ISDN link's credit record whose restore code is 255 is reset to its
  // defaults before a page shows it.
  bool resetCreditWhenUnset = false;
};

// Every group in the order of the pages' steps.
std::span<const Group> Groups();

// One field of one record.
struct FieldRef {
  const Group* group = nullptr;
  const Field* field = nullptr;
  std::size_t instance = 0;

  std::size_t Offset() const { return group->base + group->stride * instance + field->offset; }
  // The bytes the field covers.
  std::size_t Width() const;
  // "group.name" for a single record, "group2.name" for the second of several.
  std::string Id() const;
};

// The field of an id; group null when there is none.
FieldRef FindField(std::string_view id);

}  // namespace tusko::catalog
