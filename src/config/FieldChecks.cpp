#include "config/FieldChecks.h"

#include <algorithm>

#include "config/CatalogPage.h"
#include "config/DecimalText.h"
#include "config/ListEditing.h"

namespace tusko::catalog {
namespace {

constexpr std::string_view kHttpStart = "http://";
constexpr std::string_view kHttpNumber = "=NUMBER";
constexpr std::size_t kMaxGroupDigits = 3;
constexpr std::uint32_t kOctetMax = 255;
constexpr std::uint32_t kDelayAlertingMax = 15;
constexpr std::int64_t kMaxPort = 65535;

PageApply OutOfRange(const FieldRef& ref, std::int64_t min, std::int64_t max, const std::string& focus) {
  if (!ref.field->messageKey.empty()) return PageApply::Failure(ref.field->messageKey, focus);
  return PageApply::Failure("strDataValueOutOfRange", focus, {std::to_string(min), std::to_string(max)});
}

PageApply CheckText(const FieldRef& ref, std::string_view text) {
  const Field& field = *ref.field;
  if (field.maxChars > 0 && text.size() > field.maxChars) {
    return PageApply::Failure("strDataTextTooLong", ref.Id(), {std::to_string(field.maxChars)});
  }
  if (!field.charset.empty() && text.find_first_not_of(field.charset) != std::string_view::npos) {
    return PageApply::Failure("strDataTextCharacters", ref.Id(), {std::string(field.charset)});
  }
  return PageApply::Success();
}

PageApply CheckServer(const FieldRef& ref, const FieldValue& value, bool changed) {
  if (!value.text.empty() && value.number == 0 && !ref.field->messageKey.empty()) {
    return PageApply::Failure(ref.field->messageKey, PortBoxFocus(ref));
  }
  if (!changed) return PageApply::Success();
  if (value.number < 0 || value.number > kMaxPort) {
    return PageApply::Failure("strDataValueOutOfRange", PortBoxFocus(ref), {"1", std::to_string(kMaxPort)});
  }
  return CheckText(ref, value.text);
}

PageApply CheckList(const FieldRef& ref, const FieldValue& value) {
  if (value.items.size() > ref.field->count) {
    return PageApply::Failure("strDataListTooLong", ref.Id(), {std::to_string(ref.field->count)});
  }
  // Taken one by one as the list's editor takes them: an empty entry or one
  // given twice is refused with the editor's message.
  std::vector<std::string> taken;
  for (const std::string& item : value.items) {
    if (PageApply check = CheckText(ref, item); !check.ok) return check;
    if (PageApply check = AddListEntry(*ref.field, taken, item); !check.ok) return check;
  }
  return PageApply::Success();
}

}  // namespace

bool IsIpAddressText(std::string_view text) {
  for (int group = 0; group < 4; ++group) {
    const LeadingNumber number = ReadLeadingNumber(text, kOctetMax + 1);
    if (number.digits == 0 || number.digits > kMaxGroupDigits || number.value > kOctetMax) return false;
    text.remove_prefix(number.digits);
    if (group < 3) {
      if (!text.starts_with('.')) return false;
      text.remove_prefix(1);
    }
  }
  return text.empty();
}

bool IsHttpRequest(std::string_view text) {
  if (!text.starts_with(kHttpStart)) return false;
  const std::string_view rest = text.substr(kHttpStart.size());
  const std::size_t slash = rest.find('/', 1);
  if (slash == std::string_view::npos) return false;
  const std::size_t question = rest.find('?', slash + 2);
  if (question == std::string_view::npos) return false;
  return rest.find(kHttpNumber, question + 2) != std::string_view::npos;
}

bool WildcardMisplaced(std::string_view number) {
  const std::size_t x = number.find('x');
  return x != std::string_view::npos && x + 1 != number.size();
}

std::string NormalisedDelayAlerting(std::string_view text) {
  if (text.find('R') != std::string_view::npos) return "R";
  return std::to_string(ReadLeadingNumber(text, kDelayAlertingMax).value);
}

PageApply CheckField(const FieldRef& ref, const FieldValue& value, bool changed) {
  const Field& field = *ref.field;
  switch (field.editor) {
    case Editor::Server: return CheckServer(ref, value, changed);
    case Editor::Text:
    case Editor::Password:
    case Editor::MultiLine:
      if (field.httpRequest && !value.text.empty() && value.text != kHttpStart && !IsHttpRequest(value.text)) {
        return PageApply::Failure(field.messageKey, ref.Id());
      }
      return changed ? CheckText(ref, value.text) : PageApply::Success();
    default: break;
  }
  if (!changed) return PageApply::Success();
  switch (field.editor) {
    case Editor::Number:
      if (value.number < field.min || value.number > field.max) return OutOfRange(ref, field.min, field.max, ref.Id());
      return PageApply::Success();
    case Editor::IpAddress:
      if (!IsIpAddressText(value.text)) return PageApply::Failure("strDataIpAddressInvalid", ref.Id(), {value.text});
      return PageApply::Success();
    case Editor::List: return CheckList(ref, value);
    default: return PageApply::Success();
  }
}

}  // namespace tusko::catalog
