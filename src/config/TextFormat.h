#pragma once

// The configuration text: one "id = value" line a field, list entries as
// "id[n] = value", the page's title as a "#" comment before its fields, and
// the bytes no value gives back as "raw OFFSET = HEX". Blank lines and lines
// starting with '#' are skipped when read.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/TextLookup.h"
#include "config/ConfigurationText.h"

namespace tusko::catalog {

std::string WriteConfigurationText(const ConfigurationText& text, const TextLookup& lookup);

// Why a line was not taken: a language key and its arguments.
struct TextProblem {
  std::string key;
  std::vector<std::string> args;
};

// How a line meets a field already given: refused as given twice (a text
// being read), or replacing it (settings made to a described image).
enum class GivenTwice { Refused, Replaces };

// Takes one line into `text`. A list entry "id[n]" replaces entry n, or adds
// entry n after the last; given "" while replacing, it deletes entry n.
std::optional<TextProblem> ApplyTextLine(ConfigurationText& text, std::string_view line, GivenTwice twice);

struct TextParse {
  ConfigurationText text;
  std::optional<TextProblem> problem;
  std::size_t line = 0;  // of the problem, from 1
};
TextParse ParseConfigurationText(std::string_view input);

// The language key of the title of a group's page; the root's for the
// image's own bytes.
std::string_view PageTitleKey(const Group& group);
std::string HexBytes(std::span<const std::uint8_t> bytes);

// The lines of one field: "id = value", or a list's "id[n] = value" lines.
std::vector<std::string> FieldLines(const FieldRef& ref, const FieldValue& value);

}  // namespace tusko::catalog
