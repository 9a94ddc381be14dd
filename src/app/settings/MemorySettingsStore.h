#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <variant>

#include "app/settings/SettingsStore.h"

namespace tusko {

// A settings store that lives in memory only, for tests and for a run without
// a settings file. Values keep their type: a number does not read as a text.
class MemorySettingsStore final : public SettingsStore {
 public:
  bool openSection(std::string_view section) override;
  std::optional<std::uint32_t> readNumber(std::string_view section, std::string_view name) const override;
  std::optional<std::string> readText(std::string_view section, std::string_view name) const override;
  bool writeNumber(std::string_view section, std::string_view name, std::uint32_t value) override;
  bool writeText(std::string_view section, std::string_view name, std::string_view value) override;
  bool deleteValue(std::string_view section, std::string_view name) override;
  bool commit() override { return true; }

  // From now on `section` cannot be opened, as a key without access rights.
  void denyAccess(std::string_view section);
  // Whether the value exists, of either type.
  bool contains(std::string_view section, std::string_view name) const;

 private:
  using Value = std::variant<std::uint32_t, std::string>;
  using Section = std::map<std::string, Value, SettingsNameLess>;

  const Value* find(std::string_view section, std::string_view name) const;

  std::map<std::string, Section, SettingsNameLess> sections_;
  std::set<std::string, SettingsNameLess> denied_;
};

}  // namespace tusko
