#include "app/session/WriteChanges.h"

#include "app/session/WriteVerification.h"
#include "config/ConfigurationDiff.h"
#include "config/FieldText.h"
#include "config/TextFormat.h"

namespace tusko {

namespace {

std::string ValueText(const catalog::FieldRef& ref, const catalog::FieldValue& value, const TextLookup& text) {
  if (catalog::FormOf(ref) == catalog::ValueForm::Choice) {
    if (const catalog::Choice* choice = catalog::ChoiceOf(*ref.field, value.number)) {
      return choice->literal ? std::string(choice->labelKey) : text(choice->labelKey);
    }
  }
  return catalog::FormatValue(ref, value);
}

}  // namespace

std::vector<WriteChange> WriteChanges(const ConfigurationImage& gateway, const ConfigurationImage& written,
                                      const TextLookup& text) {
  const catalog::ConfigurationDifferences differences = catalog::CompareImages(gateway, written);
  std::vector<WriteChange> changes;
  for (const catalog::FieldDifference& field : differences.fields) {
    changes.push_back({DifferenceLabel(field.ref, text), ValueText(field.ref, field.first, text),
                       ValueText(field.ref, field.second, text)});
  }
  for (const catalog::ByteDifference& bytes : differences.bytes) {
    changes.push_back({"byte " + std::to_string(bytes.offset), catalog::HexBytes(bytes.first), catalog::HexBytes(bytes.second)});
  }
  return changes;
}

}  // namespace tusko
