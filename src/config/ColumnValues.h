#pragma once

// The columns of the table records (fields of encoding Bytes that no catalog
// page edits one by one) as values: a byte as a number, a number text as
// text, a cell's fixed characters as text, and the other byte runs as a list
// of numbers in `items`.

#include "config/ConfigurationPage.h"
#include "config/FieldValues.h"

namespace tusko::catalog {

enum class ColumnKind {
  Byte,           // one byte: the number
  CountedString,  // a length byte and its characters: the text
  FixedText,      // characters filling the column, left-padded with '0': the text
  ByteList,       // several bytes: one number each in `items`
};

ColumnKind KindOfColumn(const FieldRef& ref);

FieldValue ShowColumn(ConfigurationImage& image, const FieldRef& ref);
void WriteColumn(ConfigurationImage& image, const FieldRef& ref, const FieldValue& value);
// What a column cannot hold: a text longer than its bytes, more numbers than
// bytes, a number above 255.
PageApply CheckColumn(const FieldRef& ref, const FieldValue& value);

}  // namespace tusko::catalog
