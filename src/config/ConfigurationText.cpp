#include "config/ConfigurationText.h"

#include <algorithm>
#include <limits>
#include <set>
#include <unordered_map>

#include "config/ColumnValues.h"
#include "config/FieldChecks.h"
#include "config/FieldText.h"
#include "config/PageEntryChecks.h"
#include "config/RestoreCode.h"

namespace tusko::catalog {
namespace {

constexpr std::size_t kImageSize = ConfigurationImage::kSize;
// Groups of more records than this are tables: their empty records are left out.
constexpr std::size_t kMaxPlainRecords = 2;
constexpr int kMonthDays = 31;
constexpr int kWeeks = 4;
constexpr int kWeekdays = 7;
// Each round carries at least one more byte; these many rounds never happen
// before every byte that differs from a new image is carried.
constexpr int kMaxRounds = 64;

std::vector<FieldRef> CollectNamedFields() {
  std::vector<FieldRef> refs;
  for (const Group& group : Groups()) {
    for (std::size_t instance = 0; instance < group.count; ++instance) {
      for (const Field& field : group.fields) {
        if (!field.name.empty()) refs.push_back({&group, &field, instance});
      }
    }
  }
  return refs;
}

const std::vector<FieldRef>& NamedFieldList() {
  static const std::vector<FieldRef> refs = CollectNamedFields();
  return refs;
}

FieldValue ShowValue(ConfigurationImage& image, const FieldRef& ref) {
  return ref.field->encoding == Encoding::Bytes ? ShowColumn(image, ref) : ShowField(image, ref);
}

void WriteValue(ConfigurationImage& image, const FieldRef& ref, const FieldValue& value) {
  if (ref.field->encoding == Encoding::Bytes) {
    WriteColumn(image, ref, value);
  } else {
    WriteField(image, ref, value);
  }
}

// The bytes of `ref` in `to` made those of `from` again.
void CopyRange(const ConfigurationImage& from, ConfigurationImage& to, const FieldRef& ref) {
  to.Store(ref.Offset(), from.Range(ref.Offset(), ref.Width()));
}

PageApply CheckRestore(const FieldRef& ref, std::int64_t code) {
  const RestoreSchedule schedule = DecodeRestoreCode(static_cast<std::uint8_t>(code));
  const bool monthDay = schedule.kind == RestoreKind::DayOfMonth;
  const int most = monthDay ? kMonthDays : kWeekdays;
  if (schedule.day < 1 || schedule.day > most) {
    return PageApply::Failure("strDataValueOutOfRange", ref.Id(), {"1", std::to_string(most)});
  }
  if (schedule.kind == RestoreKind::WeekdayOfMonth && (schedule.week < 1 || schedule.week > kWeeks)) {
    return PageApply::Failure("strDataValueOutOfRange", ref.Id(), {"1", std::to_string(kWeeks)});
  }
  return PageApply::Success();
}

// What a number of a field no editor limits can be stored as.
std::int64_t EncodingMax(Encoding encoding) {
  switch (encoding) {
    case Encoding::Word16: return std::numeric_limits<std::uint16_t>::max();
    case Encoding::Word32: return std::numeric_limits<std::uint32_t>::max();
    default: return std::numeric_limits<std::uint8_t>::max();
  }
}

// A table record that is unset, as in a new image.
bool IsEmptyRecord(const ConfigurationImage& image, const ConfigurationImage& fresh, const FieldRef& ref) {
  const Group& group = *ref.group;
  if (group.count <= kMaxPlainRecords) return false;
  const std::size_t start = group.base + group.stride * ref.instance;
  const auto unset = [](std::uint8_t byte) { return byte == layout::kUnset; };
  return std::ranges::all_of(image.Range(start, group.stride), unset) &&
         std::ranges::all_of(fresh.Range(start, group.stride), unset);
}

void Carry(std::vector<bool>& carried, const FieldRef& ref) {
  std::fill_n(carried.begin() + static_cast<std::ptrdiff_t>(ref.Offset()),
              std::min(ref.Width(), kImageSize - std::min(kImageSize, ref.Offset())), true);
}

// The carried bytes that differ from a new image, in runs.
std::vector<RawRun> RawRuns(const ConfigurationImage& image, const ConfigurationImage& fresh,
                            const std::vector<bool>& carried) {
  std::vector<RawRun> runs;
  for (std::size_t at = 0; at < kImageSize; ++at) {
    if (!carried[at] || image.Byte(at) == fresh.Byte(at)) continue;
    if (runs.empty() || runs.back().offset + runs.back().bytes.size() != at) runs.push_back({at, {}});
    runs.back().bytes.push_back(image.Byte(at));
  }
  return runs;
}

// Carries the fields that cover a byte the build got wrong, and the byte
// itself. False when that carries nothing new.
bool CarryDifferences(const ConfigurationText& text, const ConfigurationImage& image, const ConfigurationImage& built,
                      std::vector<bool>& carried) {
  bool grew = false;
  const auto differs = [&](std::size_t at) { return at < kImageSize && image.Byte(at) != built.Byte(at); };
  for (const TextEntry& entry : text.entries) {
    const std::size_t start = entry.ref.Offset();
    bool covers = false;
    for (std::size_t at = start; at < start + entry.ref.Width() && !covers; ++at) covers = differs(at);
    if (!covers) continue;
    for (std::size_t at = start; at < start + entry.ref.Width() && at < kImageSize; ++at) {
      grew = grew || !carried[at];
      carried[at] = true;
    }
  }
  for (std::size_t at = 0; at < kImageSize; ++at) {
    if (!differs(at) || carried[at]) continue;
    carried[at] = true;
    grew = true;
  }
  return grew;
}

// The value as a configuration text gives it back. Where the text holds less
// than the bytes (a restore code's unused bit), a value is unchanged when its
// text is, and the raw bytes keep the rest.
FieldValue TextValue(const FieldRef& ref, FieldValue value) {
  if (FormOf(ref) == ValueForm::List) return value;
  std::optional<FieldValue> parsed = ParseValue(ref, FormatValue(ref, value));
  return parsed ? std::move(*parsed) : value;
}

// Only whether a refusal happens matters while an image is described.
std::string KeyItself(std::string_view key) { return std::string(key); }

// A list page whose stored entries it would refuse beside each other keeps
// them as stored: the bytes of all its fields are carried.
void CarryRefusedPages(const ConfigurationImage& image, const ConfigurationText& text, std::vector<bool>& carried) {
  std::set<PageId> pages;
  for (const TextEntry& entry : text.entries) pages.insert(entry.ref.group->page);
  std::set<PageId> refused;
  for (const PageId page : pages) {
    if (!CheckPageEntries(image, page, KeyItself).ok) refused.insert(page);
  }
  for (const FieldRef& ref : NamedFieldList()) {
    if (refused.contains(ref.group->page)) Carry(carried, ref);
  }
}

}  // namespace

std::span<const FieldRef> NamedFields() { return NamedFieldList(); }

std::optional<std::size_t> NamedFieldIndex(std::string_view id) {
  static const std::unordered_map<std::string, std::size_t> index = [] {
    std::unordered_map<std::string, std::size_t> ids;
    for (std::size_t i = 0; i < NamedFieldList().size(); ++i) ids.emplace(NamedFieldList()[i].Id(), i);
    return ids;
  }();
  const auto found = index.find(std::string(id));
  if (found == index.end()) return std::nullopt;
  return found->second;
}

FieldValue ReadValue(const ConfigurationImage& image, const FieldRef& ref) {
  ConfigurationImage copy = image;
  return ShowValue(copy, ref);
}

PageApply CheckValue(const FieldRef& ref, const FieldValue& value) {
  const Field& field = *ref.field;
  if (field.encoding == Encoding::Bytes) return CheckColumn(ref, value);
  switch (field.editor) {
    case Editor::Restore: return CheckRestore(ref, value.number);
    case Editor::Choice:
    case Editor::Radio:
      if (ChoiceOf(field, value.number) == nullptr) {
        return PageApply::Failure("strDataChoiceUnknown", ref.Id(), {std::to_string(value.number)});
      }
      return PageApply::Success();
    case Editor::None:
      if (FormOf(ref) == ValueForm::Number && (value.number < 0 || value.number > EncodingMax(field.encoding))) {
        return PageApply::Failure("strDataValueOutOfRange", ref.Id(), {"0", std::to_string(EncodingMax(field.encoding))});
      }
      return PageApply::Success();
    default: return CheckField(ref, value, true);
  }
}

ConfigurationText DescribeImage(const ConfigurationImage& image) {
  const ConfigurationImage fresh = MakeDefaultImage();
  ConfigurationText text;
  std::vector<bool> carried(kImageSize, false);
  const std::span<const FieldRef> refs = NamedFields();
  for (std::size_t i = 0; i < refs.size(); ++i) {
    if (IsEmptyRecord(image, fresh, refs[i])) continue;
    text.entries.push_back({refs[i], i, TextValue(refs[i], ReadValue(image, refs[i]))});
    // A value a page would refuse stays as it was stored: its bytes carry it.
    if (!CheckValue(refs[i], text.entries.back().value).ok) Carry(carried, refs[i]);
  }
  CarryRefusedPages(image, text, carried);
  for (int round = 0; round < kMaxRounds; ++round) {
    text.raw = RawRuns(image, fresh, carried);
    const TextBuild built = BuildImage(text, KeyItself);
    if (built.image && *built.image == image) return text;
    const bool grew = built.image ? CarryDifferences(text, image, *built.image, carried) : false;
    if (!grew) std::fill(carried.begin(), carried.end(), true);
  }
  return text;
}

TextBuild BuildImage(const ConfigurationText& text, const TextLookup& language) {
  ConfigurationImage image = MakeDefaultImage();
  for (const RawRun& run : text.raw) {
    if (!image.Store(run.offset, run.bytes)) {
      return {std::nullopt, "raw", PageApply::Failure("strDataRawOutside", {}, {std::to_string(run.offset)})};
    }
  }
  // The values are shown from a copy, as a page shows them: what the text
  // codecs mend as they read is not written unless the value changes.
  ConfigurationImage shown = image;
  std::set<PageId> changed;
  for (const TextEntry& entry : text.entries) {
    const FieldValue current = TextValue(entry.ref, ShowValue(shown, entry.ref));
    CopyRange(image, shown, entry.ref);
    if (current == entry.value) continue;
    if (PageApply check = CheckValue(entry.ref, entry.value); !check.ok) {
      return {std::nullopt, entry.ref.Id(), std::move(check)};
    }
    WriteValue(image, entry.ref, entry.value);
    CopyRange(image, shown, entry.ref);
    changed.insert(entry.ref.group->page);
  }
  for (const PageId page : changed) {
    if (PageApply check = CheckPageEntries(image, page, language); !check.ok) {
      return {std::nullopt, check.focusField, std::move(check)};
    }
  }
  return {std::move(image), {}, {}};
}

}  // namespace tusko::catalog
