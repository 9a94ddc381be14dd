#pragma once

// The configuration image as named values and the bytes no value gives back,
// and the image built again from them. The build starts from a new default
// image, lays the raw bytes on it, and writes each value that differs from
// what the image then shows, through the checks a page runs on a value the
// user changed; a list page whose entries a value changed then checks them
// across each other. The description of an image builds back to that image
// byte for byte: bytes a value cannot give back, and the bytes of values (or
// of a list page's entries) stored outside what a page accepts, go into the
// raw bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/TextLookup.h"
#include "config/ConfigurationPage.h"
#include "config/FieldValues.h"

namespace tusko::catalog {

struct TextEntry {
  FieldRef ref;
  std::size_t order = 0;  // the field's place in NamedFields()
  FieldValue value;
};

struct RawRun {
  std::size_t offset = 0;
  std::vector<std::uint8_t> bytes;
};

struct ConfigurationText {
  std::vector<TextEntry> entries;  // in catalog order, each field at most once
  std::vector<RawRun> raw;
};

// Every field with a name, in catalog order.
std::span<const FieldRef> NamedFields();
std::optional<std::size_t> NamedFieldIndex(std::string_view id);

// The value of any named field, table columns included.
FieldValue ReadValue(const ConfigurationImage& image, const FieldRef& ref);

// The checks a value must pass to be written.
PageApply CheckValue(const FieldRef& ref, const FieldValue& value);

// Every field's value, but for the table records that are unset here and in
// a new image; the raw bytes make the rest.
ConfigurationText DescribeImage(const ConfigurationImage& image);

struct TextBuild {
  std::optional<ConfigurationImage> image;
  std::string id;      // the field refused
  PageApply refusal;   // its message
};
// `language` gives the texts a refusal's arguments name (an ISDN link).
TextBuild BuildImage(const ConfigurationText& text, const TextLookup& language);

}  // namespace tusko::catalog
