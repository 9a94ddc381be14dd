#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/ConfigurationImage.h"
#include "config/FieldCatalog.h"

namespace tusko::catalog {

// A field as a page holds it: a number (check boxes 0 or 1, choices the stored
// value, a server's port), a text (a server's address, an IP address as
// "a.b.c.d") or the entries of a list.
struct FieldValue {
  std::int64_t number = 0;
  std::string text = {};
  std::vector<std::string> items = {};
  bool operator==(const FieldValue&) const = default;
};

// The value a page shows. The text codecs mend a length byte out of range as
// they read, so the image is taken mutable: pass a copy to leave it as it is.
FieldValue ShowField(ConfigurationImage& image, const FieldRef& ref);

// Stores a value by the field's encoding. Values are not checked here: a
// number is cut to what the bytes hold, a text to its field.
void WriteField(ConfigurationImage& image, const FieldRef& ref, const FieldValue& value);

// The value a fresh image holds; nothing is written for unsetByDefault.
FieldValue DefaultValue(const Field& field);
void WriteDefault(ConfigurationImage& image, const FieldRef& ref);

}  // namespace tusko::catalog
