#include "config/ListEditing.h"

#include <algorithm>
#include <optional>

namespace tusko::catalog {
namespace {

// Empty or already in the list (other than at `except`). A quiet list refuses
// without a message: the refusal is then a success that changes nothing.
std::optional<PageApply> Refusal(const Field& field, const std::vector<std::string>& entries, std::string_view text,
                                 std::size_t except) {
  const auto refuse = [&field](std::string_view key, std::vector<std::string> args) {
    return field.quietList ? PageApply::Success() : PageApply::Failure(key, field.name, std::move(args));
  };
  if (text.empty()) return refuse(field.messageKey, {});
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i != except && entries[i] == text) return refuse(field.secondMessageKey, {std::string(text)});
  }
  return std::nullopt;
}

}  // namespace

PageApply AddListEntry(const Field& field, std::vector<std::string>& entries, std::string_view text) {
  if (!text.empty() && entries.size() >= field.count) return PageApply::Success();
  if (std::optional<PageApply> refusal = Refusal(field, entries, text, entries.size())) return *refusal;
  entries.emplace_back(text);
  return PageApply::Success();
}

PageApply ChangeListEntry(const Field& field, std::vector<std::string>& entries, std::size_t index,
                          std::string_view text) {
  if (index >= entries.size() || (!text.empty() && entries[index] == text)) return PageApply::Success();
  if (std::optional<PageApply> refusal = Refusal(field, entries, text, index)) return *refusal;
  entries[index] = text;
  return PageApply::Success();
}

void DeleteListEntry(std::vector<std::string>& entries, std::size_t index) {
  if (index < entries.size()) entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index));
}

bool MoveListEntry(std::vector<std::string>& entries, std::size_t index, bool up) {
  if (index >= entries.size() || (up && index == 0) || (!up && index + 1 >= entries.size())) return false;
  std::swap(entries[index], entries[up ? index - 1 : index + 1]);
  return true;
}

}  // namespace tusko::catalog
