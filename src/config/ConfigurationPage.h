#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/ConfigurationImage.h"
#include "config/PageId.h"

namespace tusko {

// The outcome of a page's apply. A failure names the language key of its
// message (shown under "strError"), the message's arguments and the field
// that gets the focus; a success carries nothing else.
struct PageApply {
  bool ok = true;
  std::string messageKey;
  std::vector<std::string> args;
  std::string focusField;
  bool warning = false;  // shown under "strWarning" rather than "strError"

  static PageApply Success() { return {}; }
  static PageApply Failure(std::string_view key, std::string_view field, std::vector<std::string> arguments = {}) {
    return {false, std::string(key), std::move(arguments), std::string(field)};
  }
  static PageApply Warning(std::string_view key, std::string_view field) {
    return {false, std::string(key), {}, std::string(field), true};
  }
};

// One page of the configuration tree as a presentation model: its fields are
// plain values that a window binds to, filled from the working image by Load
// and checked and written back by Apply. A page shows no messages itself.
class ConfigurationPage {
 public:
  virtual ~ConfigurationPage() = default;

  virtual PageId id() const = 0;
  // Where a field's rule mends what it shows (an unset byte shown as its
  // default), the mended value is written back into the working image.
  virtual void Load(ConfigurationImage& working) = 0;
  // On failure the fields of the steps before the failing one may already be
  // written; the document commits nothing of a failed apply.
  virtual PageApply Apply(ConfigurationImage& working) = 0;
};

// The first refusal `refusal(entry, index)` gives one of `entries` beside the
// others, or success: a list page's check of the entries it loaded.
template <typename Entries, typename Refusal>
PageApply FirstRefusal(const Entries& entries, Refusal refusal) {
  for (std::size_t index = 0; index < entries.size(); ++index) {
    if (PageApply refused = refusal(entries[index], index); !refused.ok) return refused;
  }
  return PageApply::Success();
}

}  // namespace tusko
