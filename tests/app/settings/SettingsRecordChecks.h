#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "app/settings/MemorySettingsStore.h"
#include "app/settings/SettingsStore.h"

namespace tusko {

// Rows written out by hand from the value tables of the settings records, so that
// the check below catches a wrong name, field, default, saved mark or capacity.
template <class Record>
struct NumberRow {
  std::string_view name;
  std::uint32_t Record::*field;
  std::uint32_t defaultValue;
  bool saved;
};

template <class Record>
struct TextRow {
  std::string_view name;
  std::string Record::*field;
  std::string defaultValue;
  std::size_t capacity;  // characters that fit the value's buffer
};

template <class Record>
struct RecordAccess {
  std::function<Record(SettingsStore&)> load;
  std::function<bool(SettingsStore&, const Record&)> save;
};

// An empty store loads every default; each name reads into its own field; a save
// writes the values marked saved; a text of its capacity fits, one more character
// does not and takes the default.
template <class Record>
void ExpectRecordRows(const RecordAccess<Record>& access, std::span<const NumberRow<Record>> numbers,
                      std::span<const TextRow<Record>> texts, std::string_view section) {
  MemorySettingsStore empty, distinct, saved, fitting, overlong;
  for (std::size_t i = 0; i < numbers.size(); ++i) distinct.writeNumber(section, numbers[i].name, 7000 + static_cast<std::uint32_t>(i));
  for (std::size_t i = 0; i < texts.size(); ++i) {
    fitting.writeText(section, texts[i].name, std::string(texts[i].capacity, static_cast<char>('a' + i)));
    overlong.writeText(section, texts[i].name, std::string(texts[i].capacity + 1, static_cast<char>('a' + i)));
  }
  const Record defaults = access.load(empty);
  const Record bound = access.load(distinct);
  const Record loadedFitting = access.load(fitting);
  const Record loadedOverlong = access.load(overlong);
  ASSERT_TRUE(access.save(saved, defaults));
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const auto& row = numbers[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(defaults.*row.field, row.defaultValue);
    EXPECT_EQ(bound.*row.field, 7000 + i);
    EXPECT_EQ(saved.contains(section, row.name), row.saved);
    if (row.saved) {
      EXPECT_EQ(saved.readNumber(section, row.name), row.defaultValue);
    }
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const auto& row = texts[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(defaults.*row.field, row.defaultValue);
    EXPECT_EQ(saved.readText(section, row.name), row.defaultValue);
    EXPECT_EQ(loadedFitting.*row.field, std::string(row.capacity, static_cast<char>('a' + i)));
    EXPECT_EQ(loadedOverlong.*row.field, row.defaultValue);
  }
}

}  // namespace tusko
