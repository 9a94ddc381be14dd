#pragma once

// A field's value as a configuration text writes it and reads it back:
// numbers as numbers, check boxes as true or false, choices by the key of
// their label and the stored value, texts quoted, addresses dotted, servers
// as host:port, restore codes in words.

#include <optional>
#include <string>
#include <string_view>

#include "config/FieldValues.h"

namespace tusko::catalog {

enum class ValueForm {
  Number,
  Flag,      // true or false
  Choice,    // "strKey (stored)"; a stored value no choice names as its number
  Text,      // "quoted", with \" \\ \n \r \t and \xHH escapes; read also bare
  Word,      // a bare token: the delay of alerting, 0..15 or R
  Address,   // a.b.c.d
  Server,    // host:port, "host":port when the host needs quoting, "" for none
  Restore,   // day D | week W weekday D | weekly weekday D
  List,      // one quoted text per entry, id[1], id[2]...
  ByteList,  // numbers separated by ", "
};

ValueForm FormOf(const FieldRef& ref);

// The choice whose stored value is `number`; null when none is.
const Choice* ChoiceOf(const Field& field, std::int64_t number);

// A list's value is its entries quoted and joined with ", "; a text gives
// them one by one (QuotedText, ParseQuoted), so ParseValue takes no list.
std::string FormatValue(const FieldRef& ref, const FieldValue& value);
std::optional<FieldValue> ParseValue(const FieldRef& ref, std::string_view text);

std::string QuotedText(std::string_view text);
// A whole quoted text; nothing when it is not one.
std::optional<std::string> ParseQuoted(std::string_view text);
// A quoted text, or a bare one as it stands (so that "set" takes name=Office).
std::optional<std::string> ParseText(std::string_view text);

// Without the blanks, tabs and carriage returns around it.
std::string_view TrimmedText(std::string_view text);

// The restore code in words, as FormatValue writes it.
std::string RestoreWords(std::int64_t code);

}  // namespace tusko::catalog
