#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "app/settings/SettingsStore.h"

namespace tusko {

// Text capacities in characters, each one less than its buffer of 32, 64 or
// 260 bytes that also holds the terminating zero. A longer stored text does not
// fit its buffer: reading it fails and the value takes its default.
inline constexpr std::size_t kShortTextChars = 31;
inline constexpr std::size_t kHostTextChars = 63;
inline constexpr std::size_t kPathTextChars = 259;

// Whether a text fits its buffer: counted in bytes, as the buffers hold them,
// so a path of 130 two-byte characters does not fit kPathTextChars. Loading
// and saving both ask this, so that what is saved reads back.
inline bool TextFits(std::string_view text, std::size_t capacity) { return text.size() <= capacity; }

enum class Saved : bool { No = false, Yes = true };
enum class TextDefault { Empty, CurrentDirectory };

// One named value of a settings record: its field, default and whether the
// record's save writes it. Exactly one of `number` and `text` is set.
template <class Record>
struct SettingValue {
  std::string_view name;
  std::uint32_t Record::*number = nullptr;
  std::string Record::*text = nullptr;
  std::uint32_t numberDefault = 0;
  std::size_t textCapacity = 0;
  TextDefault textDefault = TextDefault::Empty;
  Saved saved = Saved::Yes;
};

template <class Record>
constexpr SettingValue<Record> NumberValue(std::string_view name, std::uint32_t Record::*field,
                                           std::uint32_t defaultValue, Saved saved = Saved::Yes) {
  return {.name = name, .number = field, .numberDefault = defaultValue, .saved = saved};
}

template <class Record>
constexpr SettingValue<Record> TextValue(std::string_view name, std::string Record::*field, std::size_t capacity,
                                         TextDefault defaultValue = TextDefault::Empty) {
  return {.name = name, .text = field, .textCapacity = capacity, .textDefault = defaultValue};
}

template <class Record>
void AssignDefault(Record& record, const SettingValue<Record>& value, std::string_view currentDirectory) {
  if (value.number != nullptr) {
    record.*value.number = value.numberDefault;
  } else {
    record.*value.text = value.textDefault == TextDefault::CurrentDirectory ? std::string(currentDirectory)
                                                                            : std::string();
  }
}

template <class Record>
void AssignDefaults(Record& record, std::span<const SettingValue<Record>> table,
                    std::string_view currentDirectory = {}) {
  for (const auto& value : table) AssignDefault(record, value, currentDirectory);
}

// Reads every value in table order into `record`; one that is missing, of the
// wrong type or too long for its buffer takes its default. When the section
// cannot be opened the record keeps what it holds.
template <class Record>
void LoadValues(SettingsStore& store, std::string_view section, Record& record,
                std::span<const SettingValue<Record>> table, std::string_view currentDirectory = {}) {
  if (!store.openSection(section)) return;
  for (const auto& value : table) {
    if (value.number != nullptr) {
      if (const auto stored = store.readNumber(section, value.name)) {
        record.*value.number = *stored;
        continue;
      }
    } else if (auto stored = store.readText(section, value.name); stored && TextFits(*stored, value.textCapacity)) {
      record.*value.text = std::move(*stored);
      continue;
    }
    AssignDefault(record, value, currentDirectory);
  }
}

// A text that would not read back is not written: the stored value stays, as
// after a failed write, rather than the default coming back at the next start.
template <class Record>
bool WriteValue(SettingsStore& store, std::string_view section, const Record& record,
                const SettingValue<Record>& value) {
  if (value.number != nullptr) return store.writeNumber(section, value.name, record.*value.number);
  const std::string& text = record.*value.text;
  return !TextFits(text, value.textCapacity) || store.writeText(section, value.name, text);
}

// Writes the values marked saved and commits them. False when the section
// cannot be opened or a value could not be kept.
template <class Record>
bool SaveValues(SettingsStore& store, std::string_view section, const Record& record,
                std::span<const SettingValue<Record>> table) {
  if (!store.openSection(section)) return false;
  bool written = true;
  for (const auto& value : table) {
    if (value.saved == Saved::Yes) written = WriteValue(store, section, record, value) && written;
  }
  return store.commit() && written;
}

}  // namespace tusko
