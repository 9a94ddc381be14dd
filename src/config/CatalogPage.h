#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/TextLookup.h"
#include "config/ConfigurationPage.h"
#include "config/FieldValues.h"

namespace tusko {

// A page of the configuration tree made from the field catalog: every field
// of the page's groups, in catalog order, shown from the working image by
// Load and checked and written back by Apply.
//
// Apply writes only the fields whose value differs from what Load showed (and
// the bytes that every apply sets), so that a page left unchanged leaves the
// image as it was, even where the gateway stored a value the page cannot show.
class CatalogPage final : public ConfigurationPage {
 public:
  // `text` decides the fields hidden for want of a label text.
  CatalogPage(PageId id, const TextLookup& text);

  PageId id() const override { return id_; }
  void Load(ConfigurationImage& working) override;
  PageApply Apply(ConfigurationImage& working) override;

  // The page's fields with a name, hidden ones included, in catalog order.
  std::span<const catalog::FieldRef> fields() const { return fields_; }
  bool hidden(std::size_t index) const { return hidden_.at(index); }
  const catalog::FieldValue& value(std::size_t index) const { return values_.at(index); }
  void SetValue(std::size_t index, catalog::FieldValue value) { values_.at(index) = std::move(value); }
  std::optional<std::size_t> IndexOf(std::string_view id) const;
  // False while the field that enables field `index` does not hold its value.
  bool Enabled(std::size_t index) const;

 private:
  void WriteWithFields(ConfigurationImage& working) const;

  PageId id_;
  std::vector<catalog::FieldRef> fields_;
  std::vector<bool> hidden_;
  std::vector<catalog::FieldValue> shown_;
  std::vector<catalog::FieldValue> values_;
};

// The focus name of a server field's port box.
std::string PortBoxFocus(const catalog::FieldRef& ref);

}  // namespace tusko
