#include "config/CatalogPage.h"

#include <algorithm>

#include "config/FieldChecks.h"

namespace tusko {
namespace {

using catalog::Editor;
using catalog::FieldRef;

constexpr std::string_view kRestoreField = "restore";

// A record whose restore code is unset is shown, and kept, as a fresh one.
void ResetUnsetCreditRecords(ConfigurationImage& working, PageId page) {
  for (const catalog::Group& group : catalog::Groups()) {
    if (group.page != page || !group.resetCreditWhenUnset) continue;
    for (std::size_t instance = 0; instance < group.count; ++instance) {
      const auto restore = std::ranges::find(group.fields, kRestoreField, &catalog::Field::name);
      if (restore == group.fields.end()) continue;
      if (working.Byte(FieldRef{&group, &*restore, instance}.Offset()) != layout::kUnset) continue;
      for (const catalog::Field& field : group.fields) catalog::WriteDefault(working, {&group, &field, instance});
    }
  }
}

}  // namespace

std::string PortBoxFocus(const FieldRef& ref) { return ref.Id() + "/port"; }

CatalogPage::CatalogPage(PageId id, const TextLookup& text) : id_(id) {
  for (const catalog::Group& group : catalog::Groups()) {
    if (group.page != id) continue;
    for (std::size_t instance = 0; instance < group.count; ++instance) {
      for (const catalog::Field& field : group.fields) {
        if (field.name.empty()) continue;
        fields_.push_back({&group, &field, instance});
        hidden_.push_back(field.hiddenWithoutLabel && (!text || text(field.labelKey).empty()));
      }
    }
  }
  shown_.resize(fields_.size());
  values_.resize(fields_.size());
}

void CatalogPage::Load(ConfigurationImage& working) {
  ResetUnsetCreditRecords(working, id_);
  // Looking at a page changes nothing: what the codecs mend as they read is
  // written only with a field the user edits.
  ConfigurationImage shown = working;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (hidden_[i]) continue;
    shown_[i] = catalog::ShowField(shown, fields_[i]);
    if (shown_[i].text.empty()) shown_[i].text = fields_[i].field->emptyTextShows;
    values_[i] = shown_[i];
  }
}

PageApply CatalogPage::Apply(ConfigurationImage& working) {
  bool anyChanged = false;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const FieldRef& ref = fields_[i];
    if (hidden_[i] || ref.field->editor == Editor::None) continue;
    const bool changed = values_[i] != shown_[i];
    if (PageApply check = catalog::CheckField(ref, values_[i], changed); !check.ok) return check;
    if (changed) catalog::WriteField(working, ref, values_[i]);
    anyChanged = anyChanged || changed;
  }
  if (anyChanged) WriteWithFields(working);
  // What is written now is what a later apply compares with: an edit the
  // user takes back after this apply is a change again.
  shown_ = values_;
  return PageApply::Success();
}

// The bytes a page sets whenever it writes its fields: its constant bytes, the
// defaults of fields hidden for want of a label, and the lists of a mode that
// does not use them.
void CatalogPage::WriteWithFields(ConfigurationImage& working) const {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const FieldRef& ref = fields_[i];
    if (ref.field->alwaysDefault) {
      catalog::WriteDefault(working, ref);
    } else if (hidden_[i] && ref.field->writtenWhenHidden) {
      catalog::WriteField(working, ref, catalog::DefaultValue(*ref.field));
    } else if (ref.field->clearedWhenDisabled && !Enabled(i)) {
      catalog::WriteField(working, ref, {});
    }
  }
}

bool CatalogPage::Enabled(std::size_t index) const {
  const FieldRef& ref = fields_[index];
  if (ref.field->enabledBy.empty()) return true;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (fields_[i].instance == ref.instance && fields_[i].field->name == ref.field->enabledBy) {
      return values_[i].number == ref.field->enabledValue;
    }
  }
  return true;
}

std::optional<std::size_t> CatalogPage::IndexOf(std::string_view id) const {
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (fields_[i].Id() == id) return i;
  }
  return std::nullopt;
}

}  // namespace tusko
