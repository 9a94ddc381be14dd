#include "config/ListEditing.h"

#include <algorithm>

namespace tusko::catalog {
namespace {

// Empty or already in the list (other than at `except`).
PageApply Refusal(const Field& field, const std::vector<std::string>& entries, std::string_view text,
                  std::size_t except) {
  if (text.empty()) return PageApply::Failure(field.messageKey, field.name);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i != except && entries[i] == text) {
      return PageApply::Failure(field.secondMessageKey, field.name, {std::string(text)});
    }
  }
  return PageApply::Success();
}

}  // namespace

PageApply AddListEntry(const Field& field, std::vector<std::string>& entries, std::string_view text) {
  if (text.empty()) return Refusal(field, entries, text, entries.size());
  if (entries.size() >= field.count) return PageApply::Success();
  PageApply refusal = Refusal(field, entries, text, entries.size());
  if (refusal.ok) entries.emplace_back(text);
  return refusal;
}

PageApply ChangeListEntry(const Field& field, std::vector<std::string>& entries, std::size_t index,
                          std::string_view text) {
  if (index >= entries.size() || (!text.empty() && entries[index] == text)) return PageApply::Success();
  PageApply refusal = Refusal(field, entries, text, index);
  if (refusal.ok) entries[index] = text;
  return refusal;
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
