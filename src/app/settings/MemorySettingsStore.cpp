#include "app/settings/MemorySettingsStore.h"

namespace tusko {

bool MemorySettingsStore::openSection(std::string_view section) {
  if (denied_.contains(section)) return false;
  sections_.try_emplace(std::string(section));
  return true;
}

const MemorySettingsStore::Value* MemorySettingsStore::find(std::string_view section, std::string_view name) const {
  const auto values = sections_.find(section);
  if (values == sections_.end()) return nullptr;
  const auto value = values->second.find(name);
  return value == values->second.end() ? nullptr : &value->second;
}

std::optional<std::uint32_t> MemorySettingsStore::readNumber(std::string_view section, std::string_view name) const {
  const auto* value = find(section, name);
  if (value == nullptr || !std::holds_alternative<std::uint32_t>(*value)) return std::nullopt;
  return std::get<std::uint32_t>(*value);
}

std::optional<std::string> MemorySettingsStore::readText(std::string_view section, std::string_view name) const {
  const auto* value = find(section, name);
  if (value == nullptr || !std::holds_alternative<std::string>(*value)) return std::nullopt;
  return std::get<std::string>(*value);
}

bool MemorySettingsStore::writeNumber(std::string_view section, std::string_view name, std::uint32_t value) {
  sections_[std::string(section)].insert_or_assign(std::string(name), value);
  return true;
}

bool MemorySettingsStore::writeText(std::string_view section, std::string_view name, std::string_view value) {
  sections_[std::string(section)].insert_or_assign(std::string(name), std::string(value));
  return true;
}

bool MemorySettingsStore::deleteValue(std::string_view section, std::string_view name) {
  const auto values = sections_.find(section);
  if (values == sections_.end()) return true;
  const auto value = values->second.find(name);
  if (value != values->second.end()) values->second.erase(value);
  return true;
}

void MemorySettingsStore::denyAccess(std::string_view section) { denied_.emplace(section); }

bool MemorySettingsStore::contains(std::string_view section, std::string_view name) const {
  return find(section, name) != nullptr;
}

}  // namespace tusko
