#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "app/core/MemorySettingsStore.h"
#include "app/core/SettingsStore.h"

namespace tusko {

// Rows written out by hand from the value tables of the settings records, so
// that the checks below catch a wrong name, field, default or saved mark in
// the code's own tables.
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

inline constexpr std::uint32_t kDistinctNumberBase = 7000;

// Number and text rows alike: an empty store loads every default.
template <class Record, class Rows>
void ExpectDefaults(const RecordAccess<Record>& access, const Rows& rows) {
  MemorySettingsStore empty;
  const Record loaded = access.load(empty);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(loaded.*row.field, row.defaultValue);
  }
}

// Every name reads into its own field: each stored value differs from all others.
template <class Record>
void ExpectNumberNamesBindFields(const RecordAccess<Record>& access, std::span<const NumberRow<Record>> rows,
                                 std::string_view section) {
  MemorySettingsStore store;
  for (std::size_t index = 0; index < rows.size(); ++index) {
    store.writeNumber(section, rows[index].name, kDistinctNumberBase + static_cast<std::uint32_t>(index));
  }
  const Record loaded = access.load(store);
  for (std::size_t index = 0; index < rows.size(); ++index) {
    SCOPED_TRACE(rows[index].name);
    EXPECT_EQ(loaded.*rows[index].field, kDistinctNumberBase + index);
  }
}

template <class Record>
void ExpectNumbersSavedAsMarked(const RecordAccess<Record>& access, std::span<const NumberRow<Record>> rows,
                                std::string_view section) {
  MemorySettingsStore empty;
  MemorySettingsStore saved;
  ASSERT_TRUE(access.save(saved, access.load(empty)));
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(saved.contains(section, row.name), row.saved);
    if (row.saved) {
      EXPECT_EQ(saved.readNumber(section, row.name), row.defaultValue);
    }
  }
}

// A text as long as its buffer allows reads back whole; one character more
// does not fit and the value takes its default.
template <class Record>
void ExpectTextCapacities(const RecordAccess<Record>& access, std::span<const TextRow<Record>> rows,
                          std::string_view section) {
  MemorySettingsStore fitting;
  MemorySettingsStore overlong;
  for (std::size_t index = 0; index < rows.size(); ++index) {
    const char fill = static_cast<char>('a' + index);
    fitting.writeText(section, rows[index].name, std::string(rows[index].capacity, fill));
    overlong.writeText(section, rows[index].name, std::string(rows[index].capacity + 1, fill));
  }
  const Record loadedFitting = access.load(fitting);
  const Record loadedOverlong = access.load(overlong);
  for (std::size_t index = 0; index < rows.size(); ++index) {
    SCOPED_TRACE(rows[index].name);
    EXPECT_EQ(loadedFitting.*rows[index].field, std::string(rows[index].capacity, static_cast<char>('a' + index)));
    EXPECT_EQ(loadedOverlong.*rows[index].field, rows[index].defaultValue);
  }
}

template <class Record>
void ExpectTextsSaved(const RecordAccess<Record>& access, std::span<const TextRow<Record>> rows,
                      std::string_view section) {
  MemorySettingsStore empty;
  MemorySettingsStore saved;
  ASSERT_TRUE(access.save(saved, access.load(empty)));
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(saved.readText(section, row.name), row.defaultValue);
  }
}

}  // namespace tusko
