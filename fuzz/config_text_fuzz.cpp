// Reads arbitrary bytes as a configuration text. A text that builds must
// export and import again to the same image, byte for byte; one that does not
// must be refused with a language key.
//
// Input: the text's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/ConfigurationText.h"
#include "config/TextFormat.h"

namespace {

using namespace tusko::catalog;

void Check(bool condition) {
  if (!condition) std::abort();
}

const tusko::TextLookup kKeys = [](std::string_view key) { return std::string(key); };

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TextParse parse = ParseConfigurationText({reinterpret_cast<const char*>(data), size});
  if (parse.problem) {
    Check(!parse.problem->key.empty() && parse.line > 0);
    return 0;
  }
  const TextBuild built = BuildImage(parse.text, kKeys);
  if (!built.image) {
    Check(!built.id.empty() && !built.refusal.messageKey.empty());
    return 0;
  }
  const TextParse again = ParseConfigurationText(WriteConfigurationText(DescribeImage(*built.image), kKeys));
  Check(!again.problem);
  const TextBuild rebuilt = BuildImage(again.text, kKeys);
  Check(rebuilt.image.has_value() && *rebuilt.image == *built.image);
  return 0;
}
