#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "config/ConfigurationPage.h"
#include "config/FieldCatalog.h"

namespace tusko::catalog {

// The list editor's commands on a list field's entries. A refusal carries the
// field's message (its empty-entry key, or its duplicate key with the entry);
// a command that has nothing to do succeeds and changes nothing, and so does a
// refusal of a quiet list.

// Appends `text`; with the list full nothing happens.
PageApply AddListEntry(const Field& field, std::vector<std::string>& entries, std::string_view text);
// Replaces entry `index` by `text`.
PageApply ChangeListEntry(const Field& field, std::vector<std::string>& entries, std::size_t index,
                          std::string_view text);
void DeleteListEntry(std::vector<std::string>& entries, std::size_t index);
// Moves entry `index` one place up (towards 0) or down; false when it cannot move.
bool MoveListEntry(std::vector<std::string>& entries, std::size_t index, bool up);

}  // namespace tusko::catalog
