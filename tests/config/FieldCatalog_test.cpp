#include "config/FieldCatalog.h"

#include <gtest/gtest.h>

#include <set>

#include "config/FieldValues.h"

namespace tusko::catalog {
namespace {

template <typename Visit>
void ForEachRef(Visit visit) {
  for (const Group& group : Groups()) {
    for (std::size_t instance = 0; instance < group.count; ++instance) {
      for (const Field& field : group.fields) visit(FieldRef{&group, &field, instance});
    }
  }
}

bool IsBitField(const Field& field) {
  return field.encoding == Encoding::Bit || field.encoding == Encoding::Bit32 ||
         field.encoding == Encoding::InvertedBit;
}

// Every byte has one owner, but bit fields with disjoint masks and the time sync byte of two check boxes.
TEST(FieldCatalogTest, EveryByteBelongsToExactlyOneEntry) {
  std::vector<int> wholeOwners(layout::kImageSize, 0);
  std::vector<std::uint32_t> bitOwners(layout::kImageSize, 0);
  std::vector<bool> inBitWord(layout::kImageSize, false);
  ForEachRef([&](const FieldRef& ref) {
    const std::size_t at = ref.Offset();
    ASSERT_LE(at + ref.Width(), layout::kImageSize) << ref.Id();
    if (ref.field->encoding == Encoding::SyncSummerTime) return;
    for (std::size_t b = at; b < at + ref.Width(); ++b) {
      if (IsBitField(*ref.field)) {
        inBitWord[b] = true;
        // A u32's mask lies in its first byte.
        if (b == at) {
          EXPECT_EQ(bitOwners[b] & ref.field->mask, 0u) << ref.Id();
          bitOwners[b] |= ref.field->mask;
        }
        continue;
      }
      ++wholeOwners[b];
    }
  });
  for (std::size_t b = 0; b < layout::kImageSize; ++b) {
    const bool bits = inBitWord[b];
    EXPECT_TRUE(bits ? wholeOwners[b] == 0 : wholeOwners[b] == 1)
        << "byte " << b << " has " << wholeOwners[b] << " owners" << (bits ? " and bit fields" : "");
  }
}

TEST(FieldCatalogTest, IdsAreUniqueAndFound) {
  std::set<std::string> ids;
  ForEachRef([&](const FieldRef& ref) {
    if (ref.field->name.empty()) return;
    EXPECT_TRUE(ids.insert(ref.Id()).second) << ref.Id();
    EXPECT_EQ(FindField(ref.Id()).Offset(), ref.Offset()) << ref.Id();
  });
  EXPECT_EQ(FindField("no.field").group, nullptr);
}

// Values a field's editor can produce, at the edges of what it allows.
std::vector<FieldValue> EdgeValues(const Field& field) {
  switch (field.editor) {
    case Editor::Number: return {{.number = field.min}, {.number = field.max}};
    case Editor::Check: return {{.number = 0}, {.number = 1}};
    case Editor::Restore: return {{.number = 1}, {.number = 0x9D}, {.number = 0x82}, {.number = 31}};
    case Editor::Choice:
    case Editor::Radio: {
      std::vector<FieldValue> values;
      for (const Choice& choice : field.choices) values.push_back({.number = choice.stored});
      return values;
    }
    case Editor::IpAddress: return {{.text = "0.0.0.0"}, {.text = "255.255.255.255"}, {.text = "192.168.1.10"}};
    case Editor::Server:
      return {{.number = 4000, .text = "192.168.0.5"}, {.number = 65535, .text = std::string(31, 'h')}, {}};
    case Editor::List: {
      const char digit = field.charset.empty() ? 'x' : field.charset.back();
      return {{}, {.items = std::vector<std::string>(field.count, std::string(field.maxChars, digit))}};
    }
    case Editor::Text:
    case Editor::Password:
    case Editor::MultiLine: {
      if (field.encoding == Encoding::DelayAlerting) return {{.text = "0"}, {.text = "15"}, {.text = "R"}};
      const char last = field.charset.empty() ? '~' : field.charset.back();
      return {{.text = std::string(field.maxChars, last)}, {.text = std::string(field.charset.empty() ? "a b" : "")}};
    }
    case Editor::None: break;
  }
  return {};
}

// Every edited field shows again exactly what was written, at its edges.
TEST(FieldCatalogTest, EdgeValuesAreStoredAndShownAgain) {
  ForEachRef([&](const FieldRef& ref) {
    for (const FieldValue& value : EdgeValues(*ref.field)) {
      ConfigurationImage image = MakeDefaultImage();
      // Summer time is written only while the time is synchronised.
      if (ref.field->encoding == Encoding::SyncSummerTime) image.SetByte(ref.Offset(), 0);
      WriteField(image, ref, value);
      FieldValue expected = value;
      if (ref.field->editor == Editor::Server && value.text.empty()) expected.number = ref.field->emptyPortShows;
      const FieldValue shown = ShowField(image, ref);
      EXPECT_EQ(shown.number, expected.number) << ref.Id();
      EXPECT_EQ(shown.text, expected.text) << ref.Id();
      EXPECT_EQ(shown.items, expected.items) << ref.Id();
    }
  });
}

// A field whose bytes are unset shows its rule's value.
TEST(FieldCatalogTest, UnsetBytesShowByTheFieldsRule) {
  ForEachRef([&](const FieldRef& ref) {
    const Field& field = *ref.field;
    if (field.unset == Unset::Plain) return;
    ConfigurationImage image;  // all 0xFF
    const FieldValue shown = ShowField(image, ref);
    if (field.encoding == Encoding::DelayAlerting) {
      EXPECT_EQ(shown.text, std::to_string(field.unsetShows)) << ref.Id();
    } else if (!IsBitField(field)) {
      EXPECT_EQ(shown.number, field.unsetShows) << ref.Id();
    }
  });
}

}  // namespace
}  // namespace tusko::catalog
