#include "app/session/WriteVerification.h"

#include "config/ConfigurationDiff.h"
#include "config/TextFormat.h"

namespace tusko {

std::string DifferenceLabel(const catalog::FieldRef& ref, const TextLookup& text) {
  std::string label = ref.field->labelKey.empty() ? std::string() : text(ref.field->labelKey);
  if (label.empty()) label = text(catalog::PageTitleKey(*ref.group));
  // "Gateway name:" stands as "general.name (Gateway name)".
  if (label.ends_with(':')) label.pop_back();
  return label;
}

std::vector<std::string> DifferingFields(const ConfigurationImage& written, const ConfigurationImage& readBack,
                                         const TextLookup& text) {
  const catalog::ConfigurationDifferences differences = catalog::CompareImages(written, readBack);
  std::vector<std::string> names;
  for (const catalog::FieldDifference& field : differences.fields) {
    names.push_back(field.ref.Id() + " (" + DifferenceLabel(field.ref, text) + ")");
  }
  for (const catalog::ByteDifference& bytes : differences.bytes) names.push_back("byte " + std::to_string(bytes.offset));
  return names;
}

}  // namespace tusko
